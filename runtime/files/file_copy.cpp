#include "runtime/files/file_copy.h"

#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "runtime/files/native_file.h"

namespace pcshop::files {
namespace {

namespace fs = std::filesystem;

constexpr int kTemporaryNameTries = 16;
constexpr size_t kCopyChunk = 64 * 1024;

// Removes the temporary file unless it has been handed on.
class TemporaryFile {
 public:
  explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    std::error_code ec;
    fs::remove(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

Result<NativeFile> CreateTemporaryBeside(const fs::path& target, fs::path& temp_path) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::random_device rng;
  Status last = Status::IOError("cannot create a temporary file in " + folder.string());
  for (int i = 0; i < kTemporaryNameTries; ++i) {
    std::array<char, 9> tag{};
    std::snprintf(tag.data(), tag.size(), "%08x", static_cast<unsigned>(rng()));
    temp_path = folder / ("." + target.filename().string() + ".copy-" + tag.data());
    auto file = NativeFile::Open(temp_path, FileAccess::kCreateNew);
    if (file.ok()) return file;
    last = file.status();
    std::error_code ec;
    if (!fs::exists(temp_path, ec)) break;  // not a name clash: trying again will not help
  }
  return last;
}

}  // namespace

Status CopyFileAtomically(const fs::path& from, const fs::path& to, bool replace_existing) {
  std::error_code ec;
  if (!replace_existing && fs::exists(fs::symlink_status(to, ec))) {
    return Status::IOError("target exists: " + to.string());
  }
  auto source = NativeFile::Open(from, FileAccess::kReadExisting);
  if (!source.ok()) return source.status();

  fs::path temp_path;
  auto temp = CreateTemporaryBeside(to, temp_path);
  if (!temp.ok()) return temp.status();
  TemporaryFile guard(temp_path);

  std::string chunk(kCopyChunk, '\0');
  for (;;) {
    auto n = source->Read(chunk.data(), chunk.size());
    if (!n.ok()) return n.status();
    if (*n == 0) break;
    if (Status s = temp->Write(std::string_view(chunk.data(), *n)); !s.ok()) return s;
  }
  if (Status s = temp->Sync(); !s.ok()) return s;
  if (Status s = temp->Close(); !s.ok()) return s;
  // The copy keeps the source's permission bits; failing that is not worth
  // losing the copy for.
  fs::permissions(temp_path, fs::status(from, ec).permissions(), ec);

  if (replace_existing) {
    fs::rename(temp_path, to, ec);
  } else {
    // A hard link fails when the name exists, in one step with the check.
    fs::create_hard_link(temp_path, to, ec);
  }
  if (ec) return Status::IOError("cannot create " + to.string() + ": " + ec.message());
  return Status::Ok();
}

}  // namespace pcshop::files
