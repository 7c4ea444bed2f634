#pragma once
// The chart commands: a chart handed over as text (image/calls/chart_text.h)
// drawn into a control of an open window or written as a picture.

#include <optional>

#include "image/calls/value_triple.h"
#include "image/commands.h"
#include "runtime/kernel/command_arguments.h"

namespace pcshop::kernel {

class Runtime;

// Nothing when `command` is not a chart command.
std::optional<calls::ValueTriple> ChartCommand(Runtime& rt, image::KernelCommand command,
                                               const CommandArguments& a);

}  // namespace pcshop::kernel
