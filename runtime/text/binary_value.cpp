#include "runtime/text/binary_value.h"

#include <limits>

namespace pcshop::text {
namespace {

uint32_t ReadLe32(std::string_view bytes) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) {
    v = (v << 8) | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
  }
  return v;
}

void AppendLe32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string MakeBinary(std::string_view bytes) {
  std::string value;
  value.reserve(kBinaryHeaderSize + bytes.size());
  AppendLe32(value, kBinaryMarker);
  AppendLe32(value, static_cast<uint32_t>(bytes.size()));
  value += bytes;
  return value;
}

Result<std::string_view> BinaryBytes(std::string_view value) {
  if (value.size() < kBinaryHeaderSize) {
    return Status::Corruption("binary value of " + std::to_string(value.size()) +
                              " bytes is shorter than its 8-byte header");
  }
  const uint32_t marker = ReadLe32(value.substr(0, 4));
  if (marker != kBinaryMarker) {
    return Status::Corruption("binary value has marker " + std::to_string(marker) +
                              " instead of 1");
  }
  const uint32_t length = ReadLe32(value.substr(4, 4));
  const size_t held = value.size() - kBinaryHeaderSize;
  if (length > held || length > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
    return Status::Corruption("binary value claims " + std::to_string(length) +
                              " bytes but holds " + std::to_string(held));
  }
  return value.substr(kBinaryHeaderSize, length);
}

Result<int32_t> BinaryLength(std::string_view value) {
  auto bytes = BinaryBytes(value);
  if (!bytes.ok()) return bytes.status();
  return static_cast<int32_t>(bytes->size());
}

}  // namespace pcshop::text
