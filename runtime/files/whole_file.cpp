#include "runtime/files/whole_file.h"

#include <string>
#include <system_error>

#include "runtime/files/native_file.h"
#include "runtime/files/temporary_file.h"

namespace pcshop::files {
namespace {

namespace fs = std::filesystem;

Status Publish(const fs::path& temp, const fs::path& target) {
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) return Status::IOError("cannot create " + target.string() + ": " + ec.message());
  return Status::Ok();
}

}  // namespace

Status WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  fs::path temp_path;
  auto temp = CreateTemporaryBeside(path, temp_path);
  if (!temp.ok()) return temp.status();
  TemporaryFile guard(temp_path);
  if (Status s = temp->Write(bytes); !s.ok()) return s;
  if (Status s = temp->Sync(); !s.ok()) return s;
  if (Status s = temp->Close(); !s.ok()) return s;
  return Publish(temp_path, path);
}

Status WriteFileThrough(const fs::path& path,
                        const std::function<Status(const fs::path& temp)>& write) {
  fs::path temp_path;
  auto temp = CreateTemporaryBeside(path, temp_path);
  if (!temp.ok()) return temp.status();
  TemporaryFile guard(temp_path);
  if (Status s = temp->Close(); !s.ok()) return s;
  if (Status s = write(temp_path); !s.ok()) return s;
  // The writer closed its own handle; force its content to the device
  // before the name is handed over.
  auto written = NativeFile::Open(temp_path, FileAccess::kReadExisting);
  if (!written.ok()) return written.status();
  if (Status s = written->Sync(); !s.ok()) return s;
  if (Status s = written->Close(); !s.ok()) return s;
  return Publish(temp_path, path);
}

}  // namespace pcshop::files
