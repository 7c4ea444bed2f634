#include "runtime/files/file_copy.h"

#include <string>
#include <system_error>

#include "runtime/files/native_file.h"
#include "runtime/files/temporary_file.h"

namespace pcshop::files {
namespace {

namespace fs = std::filesystem;

constexpr size_t kCopyChunk = 64 * 1024;

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
