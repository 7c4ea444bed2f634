#pragma once
// The runtime's side of the counted calls and DLL commands: each command
// number of image/commands.h goes to its service. A command the runtime does
// not offer yet (windows, controls) notes "not available yet" and answers 0.

#include <cstdint>
#include <span>

#include "image/calls/value_triple.h"

namespace pcshop::kernel {

class Runtime;

calls::ValueTriple DispatchKernelCommand(Runtime& runtime, uint32_t command,
                                         std::span<const calls::ValueTriple> arguments);
calls::ValueTriple DispatchLibraryCommand(Runtime& runtime, uint32_t library, uint32_t command,
                                          std::span<const calls::ValueTriple> arguments);
// Calls DLL command `index` with `words` when the function takes exactly that
// many; `taken` receives the number it takes (the caller's fault-6 check).
uint64_t DispatchDllCommand(Runtime& runtime, uint32_t index, std::span<const uintptr_t> words,
                            uint32_t* taken);

}  // namespace pcshop::kernel
