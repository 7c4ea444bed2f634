#include "launcher/unpack_stamp.h"

#include <cstring>

#include "launcher/little_endian.h"
#include "launcher/package_reader.h"

namespace pcshop::launcher {
namespace {

// "PCSHOP-UNPACKED" and a layout number; a new layout takes a new number,
// and an older launcher then simply unpacks again.
constexpr std::string_view kMagic{"PCSHOP-UNPACKED\x01", 16};
constexpr uint32_t kMaxFiles = 4096;

class Writer {
 public:
  void U32(uint32_t v) {
    uint8_t b[4];
    StoreLE32(b, v);
    out_.insert(out_.end(), b, b + 4);
  }
  void U64(uint64_t v) {
    U32(static_cast<uint32_t>(v));
    U32(static_cast<uint32_t>(v >> 32));
  }
  void Bytes(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
  void Identity(const FileIdentity& id) {
    U64(id.size);
    U64(id.device);
    U64(id.file_id);
    U64(static_cast<uint64_t>(id.change_time));
    U64(static_cast<uint64_t>(id.modified_time));
  }
  std::vector<uint8_t> Take() { return std::move(out_); }

 private:
  std::vector<uint8_t> out_;
};

// Every read checks the bytes left; a short stamp is no stamp.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> in) : in_(in) {}
  bool ok() const { return ok_; }
  bool AtEnd() const { return pos_ == in_.size(); }

  uint32_t U32() {
    if (!Need(4)) return 0;
    const uint32_t v = LoadLE32(in_.data() + pos_);
    pos_ += 4;
    return v;
  }
  uint64_t U64() {
    const uint64_t low = U32();
    return low | static_cast<uint64_t>(U32()) << 32;
  }
  std::string Bytes(size_t n) {
    if (!Need(n)) return {};
    std::string s(reinterpret_cast<const char*>(in_.data() + pos_), n);
    pos_ += n;
    return s;
  }
  FileIdentity Identity() {
    FileIdentity id;
    id.size = U64();
    id.device = U64();
    id.file_id = U64();
    id.change_time = static_cast<int64_t>(U64());
    id.modified_time = static_cast<int64_t>(U64());
    return id;
  }

 private:
  bool Need(size_t n) {
    if (!ok_ || in_.size() - pos_ < n) ok_ = false;
    return ok_;
  }
  std::span<const uint8_t> in_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace

std::vector<uint8_t> EncodeStamp(const UnpackStamp& stamp) {
  Writer w;
  w.Bytes(kMagic);
  w.Identity(stamp.package.program);
  w.U32(stamp.package.folder_id);
  w.U32(static_cast<uint32_t>(stamp.package.declared_size));
  w.U64(stamp.package.stream_size);
  w.U32(stamp.package.stream_checksum);
  w.U32(static_cast<uint32_t>(stamp.files.size()));
  for (const StampedFile& f : stamp.files) {
    w.U32(static_cast<uint32_t>(f.name.size()));
    w.Bytes(f.name);
    w.Identity(f.identity);
  }
  return w.Take();
}

std::optional<UnpackStamp> DecodeStamp(std::span<const uint8_t> bytes) {
  Reader r(bytes);
  if (r.Bytes(kMagic.size()) != kMagic) return std::nullopt;
  UnpackStamp stamp;
  stamp.package.program = r.Identity();
  stamp.package.folder_id = r.U32();
  stamp.package.declared_size = static_cast<int32_t>(r.U32());
  stamp.package.stream_size = r.U64();
  stamp.package.stream_checksum = r.U32();
  const uint32_t count = r.U32();
  if (!r.ok() || count > kMaxFiles) return std::nullopt;
  for (uint32_t i = 0; i < count && r.ok(); ++i) {
    StampedFile f;
    const uint32_t length = r.U32();
    if (length > kMaxStampSize) return std::nullopt;
    f.name = r.Bytes(length);
    f.identity = r.Identity();
    if (r.ok() && !IsPlainFileName(f.name)) return std::nullopt;
    stamp.files.push_back(std::move(f));
  }
  if (!r.ok() || !r.AtEnd()) return std::nullopt;
  return stamp;
}

}  // namespace pcshop::launcher
