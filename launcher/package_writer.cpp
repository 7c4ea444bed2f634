#include "launcher/package_writer.h"

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "launcher/little_endian.h"
#include "launcher/package_reader.h"

namespace pcshop::launcher {

using namespace format;

namespace {

constexpr size_t kMaxSigned32 = static_cast<size_t>(std::numeric_limits<int32_t>::max());

void AppendLE32(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t b[4];
  StoreLE32(b, v);
  out.insert(out.end(), b, b + 4);
}

}  // namespace

std::vector<uint8_t> EncodeEntries(std::span<const PackageFile> files) {
  size_t total = 0;
  for (const PackageFile& f : files) total += f.name.size() + 1 + kEntryLengthSize + f.data.size();
  std::vector<uint8_t> out;
  out.reserve(total);
  for (const PackageFile& f : files) {
    out.insert(out.end(), f.name.begin(), f.name.end());
    out.push_back(0);
    AppendLE32(out, static_cast<uint32_t>(f.data.size()));
    out.insert(out.end(), f.data.begin(), f.data.end());
  }
  return out;
}

std::vector<uint8_t> Compress(std::span<const uint8_t> data) {
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  std::vector<uint8_t> out(length);
  const int rc = compress2(out.data(), &length, data.data(), static_cast<uLong>(data.size()),
                           Z_BEST_COMPRESSION);
  // Invariant: compressBound is always enough, so compress2 cannot fail here
  // except for lack of memory, which std::vector reports by throwing.
  if (rc != Z_OK) throw std::bad_alloc();
  out.resize(length);
  return out;
}

std::vector<uint8_t> AssemblePayload(const PayloadFields& fields) {
  std::vector<uint8_t> out;
  out.reserve(kPayloadHeaderSize + fields.folder.size() + 1 + kStreamHeaderSize +
              fields.stream.size());
  AppendLE32(out, fields.payload_magic);
  AppendLE32(out, fields.folder_id);
  out.insert(out.end(), fields.key.begin(), fields.key.end());
  out.insert(out.end(), fields.folder.begin(), fields.folder.end());
  out.push_back(0);
  AppendLE32(out, fields.stream_magic);
  AppendLE32(out, fields.unpacked_size);
  out.insert(out.end(), fields.stream.begin(), fields.stream.end());
  Scramble(std::span<uint8_t>(out).subspan(kPayloadHeaderSize), fields.key);
  return out;
}

std::array<uint8_t, kTrailerSize> EncodeTrailer(uint32_t payload_size, uint32_t magic) {
  std::array<uint8_t, kTrailerSize> t;
  StoreLE32(t.data(), payload_size);
  StoreLE32(t.data() + 4, magic);
  return t;
}

Result<std::vector<uint8_t>> BuildPayload(const PackageContents& contents) {
  if (!contents.folder.empty() && !IsPlainFileName(contents.folder)) {
    return Status::InvalidArgument("folder name is not a plain file name: " + contents.folder);
  }
  for (const PackageFile& f : contents.files) {
    if (!IsPlainFileName(f.name)) {
      return Status::InvalidArgument("file name is not a plain file name: " + f.name);
    }
    if (f.data.size() > std::numeric_limits<uint32_t>::max()) {
      return Status::InvalidArgument("file too large for a package: " + f.name);
    }
  }
  PayloadFields fields;
  fields.folder_id = contents.folder_id;
  fields.key = contents.key;
  fields.folder = contents.folder;
  const std::vector<uint8_t> unpacked = EncodeEntries(contents.files);
  // The reader needs U > 0 even for a package without files; one zero byte
  // more than the data is harmless (a shorter stream is accepted).
  if (unpacked.size() >= kMaxSigned32) {
    return Status::InvalidArgument("package contents exceed 2 GiB");
  }
  fields.unpacked_size = static_cast<uint32_t>(unpacked.empty() ? 1 : unpacked.size());
  fields.stream = Compress(unpacked);
  std::vector<uint8_t> payload = AssemblePayload(fields);
  if (payload.size() > kMaxSigned32) return Status::InvalidArgument("package exceeds 2 GiB");
  return payload;
}

Status WriteExecutableWithTail(const std::string& exe_path, const std::string& out_path,
                               std::span<const uint8_t> tail) {
  std::ifstream in(exe_path, std::ios::binary);
  if (!in) return Status::IOError("cannot open " + exe_path);
  std::vector<char> exe((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return Status::IOError("cannot read " + exe_path);
  in.close();

  // Write beside the target and rename, so that a running copy of the old
  // output is never overwritten in place ("text file busy").
  const std::string temp_path = out_path + ".tmp";
  {
    std::ofstream out(temp_path, std::ios::binary | std::ios::trunc);
    if (!out) return Status::IOError("cannot create " + temp_path);
    out.write(exe.data(), static_cast<std::streamsize>(exe.size()));
    out.write(reinterpret_cast<const char*>(tail.data()),
              static_cast<std::streamsize>(tail.size()));
    out.close();
    if (!out) return Status::IOError("cannot write " + temp_path);
  }
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::permissions(temp_path,
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec,
                  ec);
  if (!ec) fs::rename(temp_path, out_path, ec);
  if (ec) {
    fs::remove(temp_path, ec);
    return Status::IOError("cannot write " + out_path);
  }
  return Status::Ok();
}

Status WritePackagedExecutable(const std::string& exe_path, const std::string& out_path,
                               const PackageContents& contents) {
  std::error_code ec;
  const auto exe_size = std::filesystem::file_size(exe_path, ec);
  if (ec) return Status::IOError("cannot open " + exe_path);
  if (exe_size < kMinBytesBeforeTrailer) {
    return Status::InvalidArgument(exe_path + " is smaller than 1000 bytes");
  }
  Result<std::vector<uint8_t>> payload = BuildPayload(contents);
  if (!payload.ok()) return payload.status();
  std::vector<uint8_t> tail = std::move(*payload);
  const auto trailer = EncodeTrailer(static_cast<uint32_t>(tail.size()));
  tail.insert(tail.end(), trailer.begin(), trailer.end());
  return WriteExecutableWithTail(exe_path, out_path, tail);
}

}  // namespace pcshop::launcher
