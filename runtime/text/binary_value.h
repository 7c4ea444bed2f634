#pragma once
// Binary values as the application holds them: a 4-byte marker 1, a 4-byte
// byte length (both little-endian), then the bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/status.h"

namespace pcshop::text {

inline constexpr size_t kBinaryHeaderSize = 8;
inline constexpr uint32_t kBinaryMarker = 1;

// Wraps `bytes` in the header.
std::string MakeBinary(std::string_view bytes);

// The payload of a binary value. A value shorter than its header, with another
// marker, or claiming more bytes than it holds is a Corruption error; bytes
// after the payload are ignored.
[[nodiscard]] Result<std::string_view> BinaryBytes(std::string_view value);

// The payload's byte length, with the checks of BinaryBytes.
[[nodiscard]] Result<int32_t> BinaryLength(std::string_view value);

}  // namespace pcshop::text
