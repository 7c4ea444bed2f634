#pragma once
// The stamp the launcher leaves in its extraction folder after it has
// written every packaged file and the kernel library has given its entry:
// which program file and package the files came from, and the identity each
// file had when written. A later start that finds the same program file, the
// same package and every file as stamped uses them as they are instead of
// inflating and writing the package again. The folder is the user's alone;
// the stamp is still read as untrusted bytes, and anything it cannot prove
// sends the start through the full unpack.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/file_identity.h"

namespace pcshop::launcher {

// The stamp's file name in the extraction folder. A package with an entry of
// this name is never stamped.
inline constexpr std::string_view kStampName = ".pcshop-unpacked";

// A stamp is read only up to this size.
inline constexpr size_t kMaxStampSize = 64 * 1024;

// What names the package the files came from.
struct PackageIdentity {
  FileIdentity program;  // the program file that holds the package
  uint32_t folder_id = 0;
  int32_t declared_size = 0;     // U
  uint64_t stream_size = 0;      // compressed bytes
  uint32_t stream_checksum = 0;  // the stream's own check value

  bool operator==(const PackageIdentity&) const = default;
};

struct StampedFile {
  std::string name;
  FileIdentity identity;
};

struct UnpackStamp {
  PackageIdentity package;
  std::vector<StampedFile> files;  // in package order
};

std::vector<uint8_t> EncodeStamp(const UnpackStamp& stamp);

// nullopt for anything that is not a complete, well-formed stamp.
std::optional<UnpackStamp> DecodeStamp(std::span<const uint8_t> bytes);

}  // namespace pcshop::launcher
