#pragma once
// The document commands (a title, lines, a table, footer lines; shown in a
// print preview or written as a PDF or a picture), answered by the
// runtime's document family.

#include <optional>

#include "image/calls/value_triple.h"
#include "image/commands.h"
#include "runtime/kernel/command_arguments.h"

namespace pcshop::kernel {

class Runtime;

// Nothing when `command` is not a document command.
std::optional<calls::ValueTriple> DocumentCommand(Runtime& rt, image::KernelCommand command,
                                                  const CommandArguments& a);

}  // namespace pcshop::kernel
