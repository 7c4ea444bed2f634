#pragma once
// Reads a package: the trailer from the end of a file, then the payload
// (bytes in memory) into its folder name, its unpacked data and its entries.
//
// The functions come in the order the launcher calls them, because other work
// (finding the temporary directory, creating the folder) lies between them and
// the order decides which message a damaged package shows. ReadPackage runs
// them all at once for tools and tests.
//
// Contract: no function reads outside the span it is given; every entry the
// reader returns lies inside the unpacked data, with a plain file name. Every
// fault is the LaunchError whose message the launcher shows.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/byte_buffer.h"
#include "launcher/launch_error.h"
#include "launcher/scramble.h"

namespace pcshop::launcher {

// Checks the 8-byte trailer that lies `bytes_before_trailer` bytes into the
// file: the trailer magic, and a payload size (read as signed) of at least 4
// and below `bytes_before_trailer`. Returns the payload size.
Expected<uint32_t> ParseTrailer(std::span<const uint8_t, 8> trailer, uint64_t bytes_before_trailer);

// True when the payload begins with the payload magic.
bool HasPayloadMagic(std::span<const uint8_t> payload);

// What the plain payload header and the folder name field say.
struct PayloadHead {
  std::string folder;  // the stored name, or "Z_N<id>" when none is stored
  uint32_t folder_id = 0;
  ScrambleKey key{};
  size_t stream_header_offset = 0;  // payload offset of the stream magic
  size_t plain_end = 0;             // payload bytes before this are unscrambled
};

// Unscrambles the folder name and the stream header in place (the rest of
// the area waits for UnscrambleStream: a start that finds its files in place
// never needs it) and reads the folder name. A payload too short for its
// header and the name's terminator, or a stored name that is not a plain file
// name, is kInvalidData.
Expected<PayloadHead> OpenPayload(std::span<uint8_t> payload);

// The compressed stream as the stream header describes it.
struct StreamView {
  int32_t declared_size = 0;            // U
  std::span<const uint8_t> compressed;  // to the end of the payload, never empty
  // The stream's own check value: its last four bytes, unscrambled (the
  // Adler-32 of the unpacked data in a sound stream).
  uint32_t checksum = 0;
};

// Checks the stream header of an opened payload: room for the magic, U and
// one stream byte, the stream magic, U > 0. Faults are kInvalidData. The
// stream bytes stay as they are until UnscrambleStream.
Expected<StreamView> ReadStreamHeader(std::span<const uint8_t> payload, const PayloadHead& head);

// Unscrambles what OpenPayload left, in place: afterwards the compressed
// stream of ReadStreamHeader is plain.
void UnscrambleStream(std::span<uint8_t> payload, PayloadHead& head);

struct ReadLimits {
  // A declared unpacked size above this is refused as kNoMemory (a fuzzer or
  // a tool may cap what a package can make it allocate).
  size_t max_unpacked_size = 0x7FFFFFFF;
};

// Decompresses the stream into a buffer of U bytes (kNoMemory when it cannot
// be had) with zlib's uncompress; anything but success is kDecompress. The
// result's size is the actual output length, which may be below U.
Expected<ByteBuffer> Inflate(const StreamView& stream, const ReadLimits& limits = {});

// One packaged file: a name and where its bytes lie in the unpacked data.
struct PackageEntry {
  std::string name;
  size_t offset = 0;
  size_t size = 0;
};

// Walks the unpacked data into entries. Refused (kInvalidData): a name whose
// terminator, length field or data runs past the end, a name that is not a
// plain file name. Empty data has no entries.
Expected<std::vector<PackageEntry>> ParseEntries(std::span<const uint8_t> unpacked);

// The index of the entry that is the kernel library: the last one whose name
// is a kernel name, ignoring ASCII case.
std::optional<size_t> FindKernelEntry(const std::vector<PackageEntry>& entries);

// A name that is safe as one path component: not empty, not "." or "..", no
// "/", "\" or NUL.
bool IsPlainFileName(std::string_view name);

// True for "morva.mlr" and "morva.mlb" in any ASCII letter case.
bool IsKernelName(std::string_view name);

// "Z_N" + the id in upper-case hexadecimal without leading zeros.
std::string FolderIdName(uint32_t folder_id);

// A whole payload, read.
struct Package {
  std::string folder;
  uint32_t folder_id = 0;
  ByteBuffer unpacked;
  std::vector<PackageEntry> entries;

  std::span<const uint8_t> Data(const PackageEntry& e) const {
    return unpacked.span().subspan(e.offset, e.size);
  }
};

// Magic, unscrambling (on a copy), folder name, stream header, inflation and
// entries, with the faults of the steps above.
Expected<Package> ReadPackage(std::span<const uint8_t> payload, const ReadLimits& limits = {});

}  // namespace pcshop::launcher
