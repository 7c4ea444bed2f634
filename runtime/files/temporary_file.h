#pragma once
// A temporary file beside a target, for writes that nobody may see half of:
// the content goes into the temporary file, and only a finished file gets
// the target's name. The guard removes the temporary file unless it was
// handed on.

#include <filesystem>

#include "runtime/files/native_file.h"
#include "base/status.h"

namespace pcshop::files {

class TemporaryFile {
 public:
  explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Creates a new file with a fresh hidden name in the target's folder; its
// path goes to `temp_path`.
[[nodiscard]] Result<NativeFile> CreateTemporaryBeside(const std::filesystem::path& target,
                                                      std::filesystem::path& temp_path);

}  // namespace pcshop::files
