#include "runtime/kernel/runtime_memory.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "runtime/text/binary_value.h"

namespace pcshop::kernel {

void* AllocateBlock(uint32_t size) {
  // The blocks cross into code that frees them through FreeMemory, so they
  // come from the C allocator rather than from owning C++ objects.
  return std::calloc(size == 0 ? 1 : size, 1);
}

void FreeBlock(void* block) { std::free(block); }

calls::ValueTriple TextResult(std::string_view text) {
  if (text.size() >= std::numeric_limits<uint32_t>::max()) return calls::Text(nullptr);
  // Every byte is written, so the block need not be cleared first.
  auto* block = static_cast<char*>(std::malloc(text.size() + 1));
  if (block != nullptr) {
    // An empty view may have no data pointer at all.
    if (!text.empty()) std::memcpy(block, text.data(), text.size());
    block[text.size()] = '\0';
  }
  return calls::Text(block);
}

calls::ValueTriple BinaryResult(std::string_view bytes) {
  const std::string value = text::MakeBinary(bytes);
  if (value.size() >= std::numeric_limits<uint32_t>::max()) return calls::Binary(nullptr);
  void* block = AllocateBlock(static_cast<uint32_t>(value.size()));
  if (block != nullptr) std::memcpy(block, value.data(), value.size());
  return calls::Binary(block);
}

}  // namespace pcshop::kernel
