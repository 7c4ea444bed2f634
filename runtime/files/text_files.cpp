#include "runtime/files/text_files.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include "runtime/files/native_path.h"

namespace pcshop::files {
namespace {

constexpr size_t kWriteBufferLimit = 64 * 1024;
constexpr size_t kReadChunk = 4096;

Result<FileAccess> AccessFor(int32_t mode) {
  switch (mode) {
    case static_cast<int32_t>(TextFileMode::kRead): return FileAccess::kReadExisting;
    case static_cast<int32_t>(TextFileMode::kAppend): return FileAccess::kAppend;
    case static_cast<int32_t>(TextFileMode::kReplace): return FileAccess::kReplace;
    default: return Status::InvalidArgument("unknown text file mode " + std::to_string(mode));
  }
}

}  // namespace

TextFiles::~TextFiles() { (void)CloseAll(); }

Result<int32_t> TextFiles::OpenTextFile(std::string_view gbk_path, int32_t mode,
                                        int32_t /*share*/) {
  auto access = AccessFor(mode);
  if (!access.ok()) return access.status();
  if (next_number_ == std::numeric_limits<int32_t>::max()) {
    return Status::Busy("no text file numbers left");
  }
  auto native = ToNativePath(gbk_path);
  if (!native.ok()) return native.status();
  auto file = NativeFile::Open(*native, *access);
  if (!file.ok()) return file.status();
  const int32_t number = next_number_++;
  open_.emplace(number, OpenFile{std::move(file).value(), static_cast<TextFileMode>(mode), {}, {},
                                 0, Status::Ok()});
  return number;
}

Result<TextFiles::OpenFile*> TextFiles::Find(int32_t number) {
  auto it = open_.find(number);
  if (it == open_.end()) {
    return Status::NotFound("no open text file with number " + std::to_string(number));
  }
  return &it->second;
}

Status TextFiles::Flush(OpenFile& f) {
  if (!f.failure.ok()) return f.failure;
  if (f.write_buffer.empty()) return Status::Ok();
  Status s = f.file.Write(f.write_buffer);
  f.write_buffer.clear();
  if (!s.ok()) f.failure = s;
  return s;
}

Result<int64_t> TextFiles::SeekFile(int32_t number, SeekOrigin origin, int64_t offset) {
  auto found = Find(number);
  if (!found.ok()) return found.status();
  OpenFile& f = **found;
  if (Status s = Flush(f); !s.ok()) return s;
  if (f.mode == TextFileMode::kRead && origin == SeekOrigin::kCurrent) {
    // The system's position is ahead of the reader by what is still buffered.
    offset -= static_cast<int64_t>(f.read_buffer.size() - f.read_pos);
  }
  f.read_buffer.clear();
  f.read_pos = 0;
  return f.file.Seek(offset, origin);
}

Status TextFiles::WriteTextLine(int32_t number, std::string_view gbk_text) {
  auto found = Find(number);
  if (!found.ok()) return found.status();
  OpenFile& f = **found;
  if (f.mode == TextFileMode::kRead) {
    return Status::InvalidArgument("text file " + std::to_string(number) + " is open for reading");
  }
  if (!f.failure.ok()) return f.failure;
  f.write_buffer.append(gbk_text);
  f.write_buffer.append("\r\n");
  if (f.write_buffer.size() >= kWriteBufferLimit) return Flush(f);
  return Status::Ok();
}

Result<std::string> TextFiles::ReadTextLine(int32_t number) {
  auto found = Find(number);
  if (!found.ok()) return found.status();
  OpenFile& f = **found;
  if (f.mode != TextFileMode::kRead) {
    return Status::InvalidArgument("text file " + std::to_string(number) + " is open for writing");
  }
  std::string line;
  for (;;) {
    const size_t nl = f.read_buffer.find('\n', f.read_pos);
    if (nl != std::string::npos) {
      line.append(f.read_buffer, f.read_pos, nl - f.read_pos);
      f.read_pos = nl + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    line.append(f.read_buffer, f.read_pos);
    f.read_buffer.resize(kReadChunk);
    f.read_pos = 0;
    auto n = f.file.Read(f.read_buffer.data(), f.read_buffer.size());
    if (!n.ok()) {
      f.read_buffer.clear();
      return n.status();
    }
    f.read_buffer.resize(*n);
    if (*n == 0) {
      if (line.empty()) return Status::NotFound("end of text file " + std::to_string(number));
      return line;  // the last line may lack its line end
    }
  }
}

Status TextFiles::CloseTextFile(int32_t number) {
  auto it = open_.find(number);
  if (it == open_.end()) {
    return Status::NotFound("no open text file with number " + std::to_string(number));
  }
  OpenFile f = std::move(it->second);
  open_.erase(it);
  Status flushed = Flush(f);
  Status closed = f.file.Close();
  return flushed.ok() ? closed : flushed;
}

Status TextFiles::CloseAll() {
  Status first;
  while (!open_.empty()) {
    Status s = CloseTextFile(open_.begin()->first);
    if (first.ok() && !s.ok()) first = s;
  }
  return first;
}

bool TextFiles::FileExists(std::string_view gbk_path) const {
  auto native = ToNativePath(gbk_path);
  if (!native.ok()) return false;
  std::error_code ec;
  const auto st = std::filesystem::status(*native, ec);
  return !ec && std::filesystem::exists(st) && !std::filesystem::is_directory(st);
}

}  // namespace pcshop::files
