#pragma once
// Writes packages: the entry list, the zlib stream, the scrambled payload and
// the trailer, and an executable with a package appended. The build's last
// step (tools/pack) and the tests use it.
//
// BuildPayload checks what it is given and makes only packages the launcher
// accepts; AssemblePayload and EncodeTrailer write any field values at all,
// so that tests can make damaged packages.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "launcher/package_format.h"
#include "launcher/scramble.h"
#include "base/status.h"

namespace pcshop::launcher {

struct PackageFile {
  std::string name;  // a plain file name, stored as is
  std::vector<uint8_t> data;
};

struct PackageContents {
  std::string folder;  // empty: the folder id names the folder
  uint32_t folder_id = 0;
  ScrambleKey key{};
  std::vector<PackageFile> files;  // in this order
};

// The unpacked data: each file as name, NUL, 32-bit length, bytes. No checks.
std::vector<uint8_t> EncodeEntries(std::span<const PackageFile> files);

// One zlib stream (RFC 1950) of `data`, best compression.
std::vector<uint8_t> Compress(std::span<const uint8_t> data);

// Every payload field as it will be stored, unchecked.
struct PayloadFields {
  uint32_t payload_magic = format::kPayloadMagic;
  uint32_t folder_id = 0;
  ScrambleKey key{};
  std::string folder;
  uint32_t stream_magic = format::kStreamMagic;
  uint32_t unpacked_size = 0;  // U, stored as given (tests store 0 or negatives)
  std::vector<uint8_t> stream;
};

// Header, then the area (name, NUL, stream header, stream) scrambled.
std::vector<uint8_t> AssemblePayload(const PayloadFields& fields);

// The 8 bytes that end the file.
std::array<uint8_t, format::kTrailerSize> EncodeTrailer(uint32_t payload_size,
                                                        uint32_t magic = format::kTrailerMagic);

// A payload the launcher accepts. InvalidArgument when a name is not a plain
// file name or the package would not fit the format's 32-bit signed sizes.
Result<std::vector<uint8_t>> BuildPayload(const PackageContents& contents);

// Writes `out_path` as the bytes of `exe_path` followed by `tail`, and makes
// it executable. IOError when a file cannot be read or written.
Status WriteExecutableWithTail(const std::string& exe_path, const std::string& out_path,
                               std::span<const uint8_t> tail);

// Appends the package of `contents` and its trailer to a copy of
// `exe_path`. The executable must be at least 1000 bytes, or the launcher
// would not find the package.
Status WritePackagedExecutable(const std::string& exe_path, const std::string& out_path,
                               const PackageContents& contents);

}  // namespace pcshop::launcher
