#include "launcher/package_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "launcher/little_endian.h"
#include "launcher/package_format.h"
#include "launcher/scramble.h"

namespace pcshop::launcher {

using namespace format;

Expected<uint32_t> ParseTrailer(std::span<const uint8_t, 8> trailer,
                                uint64_t bytes_before_trailer) {
  const uint32_t size_field = LoadLE32(trailer.data());
  if (LoadLE32(trailer.data() + 4) != kTrailerMagic) return LaunchError::kInvalidData;
  const int64_t size = static_cast<int32_t>(size_field);  // signed, as stored
  if (size < kMinPayloadSize || static_cast<uint64_t>(size) >= bytes_before_trailer) {
    return LaunchError::kInvalidData;
  }
  return size_field;
}

bool HasPayloadMagic(std::span<const uint8_t> payload) {
  return payload.size() >= 4 && LoadLE32(payload.data()) == kPayloadMagic;
}

Expected<PayloadHead> OpenPayload(std::span<uint8_t> payload) {
  // The header and at least the folder name's terminator.
  if (payload.size() < kPayloadHeaderSize + 1) return LaunchError::kInvalidData;
  PayloadHead head;
  std::memcpy(head.key.data(), payload.data() + kKeyOffset, kKeySize);
  head.folder_id = LoadLE32(payload.data() + kFolderIdOffset);

  // Unscramble a piece at a time until the name's terminator turns up.
  constexpr size_t kPiece = 256;
  const std::span<uint8_t> area = payload.subspan(kPayloadHeaderSize);
  size_t done = 0;
  const uint8_t* nul = nullptr;
  while (nul == nullptr && done < area.size()) {
    const size_t n = std::min(kPiece, area.size() - done);
    Scramble(area.subspan(done, n), head.key, done);
    nul = static_cast<const uint8_t*>(std::memchr(area.data() + done, 0, n));
    done += n;
  }
  if (nul == nullptr) return LaunchError::kInvalidData;
  const size_t name_length = static_cast<size_t>(nul - area.data());
  // And the stream header after it, as far as the payload reaches.
  const size_t header_end = std::min(area.size(), name_length + 1 + kStreamHeaderSize);
  if (header_end > done) {
    Scramble(area.subspan(done, header_end - done), head.key, done);
    done = header_end;
  }
  head.plain_end = kPayloadHeaderSize + done;
  head.stream_header_offset = kPayloadHeaderSize + name_length + 1;
  if (name_length == 0) {
    head.folder = FolderIdName(head.folder_id);
  } else {
    head.folder.assign(reinterpret_cast<const char*>(area.data()), name_length);
    if (!IsPlainFileName(head.folder)) return LaunchError::kInvalidData;
  }
  return head;
}

Expected<StreamView> ReadStreamHeader(std::span<const uint8_t> payload, const PayloadHead& head) {
  const size_t at = head.stream_header_offset;
  // Room for the stream magic, U and at least one byte of stream.
  if (at > payload.size() || payload.size() - at < kStreamHeaderSize + 1) {
    return LaunchError::kInvalidData;
  }
  if (LoadLE32(payload.data() + at) != kStreamMagic) return LaunchError::kInvalidData;
  StreamView view;
  view.declared_size = static_cast<int32_t>(LoadLE32(payload.data() + at + 4));
  if (view.declared_size <= 0) return LaunchError::kInvalidData;
  view.compressed = payload.subspan(at + kStreamHeaderSize);

  // The last (up to) four bytes, read plain whichever state they are in.
  const size_t tail = std::min<size_t>(4, view.compressed.size());
  uint8_t last[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < tail; ++i) {
    const size_t at_byte = payload.size() - tail + i;
    uint8_t b = payload[at_byte];
    if (at_byte >= head.plain_end) b ^= head.key[(at_byte - kPayloadHeaderSize + 1) % 4];
    last[4 - tail + i] = b;
  }
  // Stored most significant byte first (RFC 1950).
  view.checksum = static_cast<uint32_t>(last[0]) << 24 | static_cast<uint32_t>(last[1]) << 16 |
                  static_cast<uint32_t>(last[2]) << 8 | last[3];
  return view;
}

void UnscrambleStream(std::span<uint8_t> payload, PayloadHead& head) {
  if (head.plain_end >= payload.size()) return;
  Scramble(payload.subspan(head.plain_end), head.key, head.plain_end - kPayloadHeaderSize);
  head.plain_end = payload.size();
}

Expected<ByteBuffer> Inflate(const StreamView& stream, const ReadLimits& limits) {
  const auto declared = static_cast<size_t>(stream.declared_size);
  if (stream.declared_size <= 0) return LaunchError::kInvalidData;
  if (declared > limits.max_unpacked_size) return LaunchError::kNoMemory;
  std::optional<ByteBuffer> out = ByteBuffer::Allocate(declared);
  if (!out) return LaunchError::kNoMemory;
  uLongf out_length = declared;
  const int rc = uncompress(out->data(), &out_length, stream.compressed.data(),
                            static_cast<uLong>(stream.compressed.size()));
  if (rc != Z_OK) return LaunchError::kDecompress;
  // Invariant: zlib never reports more than the capacity it was given.
  out->Shrink(out_length);
  return std::move(*out);
}

Expected<std::vector<PackageEntry>> ParseEntries(std::span<const uint8_t> unpacked) {
  std::vector<PackageEntry> entries;
  const uint8_t* const base = unpacked.data();
  const size_t end = unpacked.size();
  size_t pos = 0;
  while (pos < end) {
    const auto* nul = static_cast<const uint8_t*>(std::memchr(base + pos, 0, end - pos));
    if (nul == nullptr) return LaunchError::kInvalidData;  // name runs past the end
    const size_t name_length = static_cast<size_t>(nul - (base + pos));
    PackageEntry e;
    e.name.assign(reinterpret_cast<const char*>(base + pos), name_length);
    if (!IsPlainFileName(e.name)) return LaunchError::kInvalidData;
    pos += name_length + 1;
    if (end - pos < kEntryLengthSize) return LaunchError::kInvalidData;  // length field
    e.size = LoadLE32(base + pos);
    pos += kEntryLengthSize;
    if (end - pos < e.size) return LaunchError::kInvalidData;  // data runs past the end
    e.offset = pos;
    pos += e.size;
    entries.push_back(std::move(e));
  }
  return entries;
}

std::optional<size_t> FindKernelEntry(const std::vector<PackageEntry>& entries) {
  for (size_t i = entries.size(); i-- > 0;) {
    if (IsKernelName(entries[i].name)) return i;
  }
  return std::nullopt;
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool IsKernelName(std::string_view name) {
  const auto lower = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return std::any_of(kKernelNames.begin(), kKernelNames.end(), [&](std::string_view k) {
    return k.size() == name.size() && std::equal(k.begin(), k.end(), name.begin(),
                                                 [&](char a, char b) { return a == lower(b); });
  });
}

std::string FolderIdName(uint32_t folder_id) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(folder_id));
  return std::string(kFolderIdPrefix) + hex;
}

Expected<Package> ReadPackage(std::span<const uint8_t> payload, const ReadLimits& limits) {
  if (!HasPayloadMagic(payload)) return LaunchError::kReadPayload;
  std::vector<uint8_t> copy(payload.begin(), payload.end());
  Expected<PayloadHead> head = OpenPayload(copy);
  if (!head.ok()) return head.error();
  Expected<StreamView> stream = ReadStreamHeader(copy, *head);
  if (!stream.ok()) return stream.error();
  UnscrambleStream(copy, *head);
  Expected<ByteBuffer> unpacked = Inflate(*stream, limits);
  if (!unpacked.ok()) return unpacked.error();
  Expected<std::vector<PackageEntry>> entries = ParseEntries(unpacked->span());
  if (!entries.ok()) return entries.error();

  Package package;
  package.folder = std::move(head->folder);
  package.folder_id = head->folder_id;
  package.unpacked = std::move(*unpacked);
  package.entries = std::move(*entries);
  return package;
}

}  // namespace pcshop::launcher
