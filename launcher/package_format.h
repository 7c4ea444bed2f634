#pragma once
// The byte layout of the package appended to the pcshop executable, written
// down once for the reader, the writer, the launcher and the tests.
//
//   file:     [executable image][payload: S bytes][trailer: 8 bytes]
//   trailer:  u32 S | u32 kTrailerMagic
//   payload:  u32 kPayloadMagic | u32 folder id | u8 key[4] | scrambled area
//   area:     folder name, NUL | u32 kStreamMagic | i32 U | zlib stream
//   unpacked: entries, each  name, NUL | u32 L | L bytes
//
// All integers are 32-bit little-endian. The area is XOR-scrambled with the
// key (scramble.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pcshop::launcher::format {

inline constexpr uint32_t kTrailerMagic = 0x829AB7A5;
inline constexpr uint32_t kPayloadMagic = kTrailerMagic;  // the same value again
inline constexpr uint32_t kStreamMagic = 0x033E0F0D;

inline constexpr size_t kTrailerSize = 8;         // payload size, trailer magic
inline constexpr size_t kPayloadHeaderSize = 12;  // magic, folder id, key
inline constexpr size_t kKeySize = 4;
inline constexpr size_t kKeyOffset = 8;
inline constexpr size_t kFolderIdOffset = 4;
inline constexpr size_t kStreamHeaderSize = 8;  // stream magic, unpacked size
inline constexpr size_t kEntryLengthSize = 4;

// At least this many bytes precede the trailer, or there is no package.
inline constexpr uint64_t kMinBytesBeforeTrailer = 1000;
// The payload size field, read as signed, is at least this and less than the
// number of bytes before the trailer.
inline constexpr int64_t kMinPayloadSize = 4;
// Header, an empty folder name's terminator, the stream header and one byte
// of stream: the smallest payload the reader accepts.
inline constexpr size_t kMinCompletePayloadSize = kPayloadHeaderSize + 1 + kStreamHeaderSize + 1;

// Every path the launcher builds, terminator included, fits in this many bytes.
inline constexpr size_t kMaxPath = 260;

// The kernel library is recognised by these names, ignoring ASCII case.
inline constexpr std::array<std::string_view, 2> kKernelNames = {"morva.mlr", "morva.mlb"};

// A package without a folder name extracts into "Z_N" + folder id in
// upper-case hexadecimal without leading zeros.
inline constexpr std::string_view kFolderIdPrefix = "Z_N";

}  // namespace pcshop::launcher::format
