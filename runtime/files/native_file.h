#pragma once
// An open file of the operating system, owned by one object. Everything above
// this class is portable; a Win32 build supplies its own platform file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "base/status.h"

namespace pcshop::files {

enum class FileAccess {
  kReadExisting,  // read only; the file must exist
  kAppend,        // write only, every write goes to the end; created when missing
  kReplace,       // write only; created when missing, existing content dropped
  kCreateNew,     // write only; fails when anything exists at the path
};

enum class SeekOrigin { kStart, kCurrent, kEnd };

class NativeFile {
 public:
  [[nodiscard]] static Result<NativeFile> Open(const std::filesystem::path& path,
                                               FileAccess access);

  NativeFile(NativeFile&& other) noexcept;
  NativeFile& operator=(NativeFile&& other) noexcept;
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;
  // Closes without reporting; call Close() where the outcome matters.
  ~NativeFile();

  // Up to `size` bytes; 0 means the end of the file.
  [[nodiscard]] Result<size_t> Read(char* buffer, size_t size);
  // Writes every byte or reports why not.
  [[nodiscard]] Status Write(std::string_view bytes);
  // The new position from the start of the file.
  [[nodiscard]] Result<int64_t> Seek(int64_t offset, SeekOrigin origin);
  // Forces the content to the device.
  [[nodiscard]] Status Sync();
  // Closes and reports a failure the system only notices at close. The object
  // is closed afterwards whatever the outcome.
  [[nodiscard]] Status Close();

  bool is_open() const { return handle_ != kClosed; }
  const std::filesystem::path& path() const { return path_; }

 private:
  static constexpr std::intptr_t kClosed = -1;
  NativeFile(std::intptr_t handle, std::filesystem::path path)
      : handle_(handle), path_(std::move(path)) {}

  std::intptr_t handle_ = kClosed;
  std::filesystem::path path_;
};

}  // namespace pcshop::files
