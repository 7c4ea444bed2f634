#pragma once
// The table store's aggregate, matching-read, batch and upgrade commands.

#include <optional>

#include "image/calls/value_triple.h"
#include "image/commands.h"
#include "runtime/kernel/command_arguments.h"

namespace pcshop::kernel {

class Runtime;

// The command's result, or nothing when `command` is not one of these.
std::optional<calls::ValueTriple> StockTableCommand(Runtime& rt, image::KernelCommand command,
                                                    const CommandArguments& a);

}  // namespace pcshop::kernel
