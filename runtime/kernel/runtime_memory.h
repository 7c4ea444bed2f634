#pragma once
// The blocks the runtime hands to the application (AllocateMemory, and every
// text or binary value a command returns) and takes back with FreeMemory.
// One allocator for both sides, so any returned block can be freed.

#include <cstdint>
#include <string_view>

#include "image/calls/value_triple.h"

namespace pcshop::kernel {

// A zero-filled block of `size` bytes (at least one); null when memory is out.
void* AllocateBlock(uint32_t size);
// Frees a block from AllocateBlock; null is ignored.
void FreeBlock(void* block);

// A new zero-terminated copy of `text`, as a text result triple.
calls::ValueTriple TextResult(std::string_view text);
// A new binary value (marker 1, length, bytes), as a binary result triple.
calls::ValueTriple BinaryResult(std::string_view bytes);

}  // namespace pcshop::kernel
