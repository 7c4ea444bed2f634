#pragma once
// The package fuzz target's input: one selector byte, then the bytes.
//   kWholePayload: a payload as it lies before the trailer (ReadPackage)
//   kEntriesOnly:  unpacked data (ParseEntries), which zlib's checksum
//                  otherwise keeps the fuzzer from reaching with odd bytes
//   kStampOnly:    the launcher's unpack stamp (DecodeStamp)

#include <cstdint>

namespace pcshop::launcher::fuzz {

inline constexpr uint8_t kWholePayload = 0;
inline constexpr uint8_t kEntriesOnly = 1;
inline constexpr uint8_t kStampOnly = 2;
inline constexpr uint8_t kSelectorCount = 3;

}  // namespace pcshop::launcher::fuzz
