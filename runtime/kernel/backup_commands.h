#pragma once
// The backup commands: consistent copies of every table, their check, list
// and removal, a file copy of one elsewhere, and the restore that replaces
// every table at once and reopens them.

#include <optional>

#include "image/calls/value_triple.h"
#include "image/commands.h"
#include "runtime/kernel/command_arguments.h"

namespace pcshop::kernel {

class Runtime;

// The command's result, or nothing when `command` is not a backup command.
std::optional<calls::ValueTriple> BackupCommand(Runtime& rt, image::KernelCommand command,
                                                const CommandArguments& a);

}  // namespace pcshop::kernel
