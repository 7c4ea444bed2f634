#pragma once
// Ownership of what the runtime returns: every text, binary value or array a
// command hands back is a new block the caller frees with FreeMemory. These
// wrappers free it when they go out of scope, so a leak cannot be written.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "image/calls/entry_points.h"

namespace pcshop::calls {

class OwnedBlock {
 public:
  OwnedBlock() = default;
  OwnedBlock(FreeMemoryFn free, void* block) : free_(free), block_(block) {}
  OwnedBlock(OwnedBlock&& other) noexcept
      : free_(other.free_), block_(std::exchange(other.block_, nullptr)) {}
  OwnedBlock& operator=(OwnedBlock&& other) noexcept {
    if (this != &other) {
      reset();
      free_ = other.free_;
      block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
  }
  OwnedBlock(const OwnedBlock&) = delete;
  OwnedBlock& operator=(const OwnedBlock&) = delete;
  ~OwnedBlock() { reset(); }

  void* get() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }
  // Hands the block on (to a var slot, say); the new owner frees it.
  void* release() { return std::exchange(block_, nullptr); }
  void reset() {
    if (block_ != nullptr && free_ != nullptr) free_(block_);
    block_ = nullptr;
  }

 private:
  FreeMemoryFn free_ = nullptr;
  void* block_ = nullptr;
};

// A text the runtime returned. A null result reads as "".
class OwnedText : public OwnedBlock {
 public:
  using OwnedBlock::OwnedBlock;
  const char* c_str() const {
    return get() != nullptr ? static_cast<const char*>(get()) : "";
  }
  std::string_view view() const { return c_str(); }
};

// A binary value the runtime returned (marker 1, byte length, bytes).
class OwnedBinary : public OwnedBlock {
 public:
  using OwnedBlock::OwnedBlock;
  std::string_view bytes() const {
    if (get() == nullptr) return {};
    const auto* p = static_cast<const char*>(get());
    uint32_t length = 0;
    std::memcpy(&length, p + 4, 4);
    return {p + 8, length};
  }
};

}  // namespace pcshop::calls
