#pragma once
// The window, combo box and list view commands, and the property entry
// points, answered by the runtime's window manager.

#include <cstdint>
#include <optional>

#include "image/calls/value_triple.h"
#include "image/commands.h"
#include "runtime/kernel/command_arguments.h"

namespace pcshop::kernel {

class Runtime;

// Nothing when `command` is not a window or combo box command.
std::optional<calls::ValueTriple> WindowCommand(Runtime& rt, image::KernelCommand command,
                                                const CommandArguments& a);
calls::ValueTriple ListCommand(Runtime& rt, image::LibraryCommand command,
                               const CommandArguments& a);

// A text property comes back as a new block the caller frees; an integer or
// logical in the low 32 bits. 0 for an unknown control or property.
uint64_t GetPropertyValue(Runtime& rt, uint32_t window, uint32_t control, int32_t property);
// A text value is the address of a GBK text (0 reads as the empty text).
void SetPropertyValue(Runtime& rt, uint32_t window, uint32_t control, int32_t property,
                      uint64_t value);

}  // namespace pcshop::kernel
