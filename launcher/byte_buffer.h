#pragma once
// A heap block of bytes that reports allocation failure instead of throwing,
// and does not zero what it allocates (the launcher fills every byte it uses,
// and a declared size larger than the actual data must not cost page faults).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>

namespace pcshop::launcher {

class ByteBuffer {
 public:
  ByteBuffer() = default;

  // nullopt when the memory cannot be had.
  static std::optional<ByteBuffer> Allocate(size_t size) {
    ByteBuffer b;
    b.data_.reset(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
    if (!b.data_) return std::nullopt;
    b.size_ = size;
    return b;
  }

  uint8_t* data() { return data_.get(); }
  const uint8_t* data() const { return data_.get(); }
  size_t size() const { return size_; }
  std::span<uint8_t> span() { return {data_.get(), size_}; }
  std::span<const uint8_t> span() const { return {data_.get(), size_}; }

  // Shortens the visible length (never grows it); the block stays allocated.
  void Shrink(size_t size) {
    if (size < size_) size_ = size;
  }
  void Release() {
    data_.reset();
    size_ = 0;
  }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_ = 0;
};

}  // namespace pcshop::launcher
