#pragma once
// Every operating-system call the launcher makes, behind one small interface.
// platform_posix.cpp implements it for Linux; a Win32 variant is one more
// file. Tests and the benchmark wrap the real platform to fail or redirect
// single calls.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pcshop::launcher {

// A file opened for reading.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  virtual std::optional<uint64_t> Size() = 0;
  // Fills `out` from `offset`; false on an error or when the file ends first.
  [[nodiscard]] virtual bool ReadAt(uint64_t offset, std::span<uint8_t> out) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The full path of the running executable; empty when it cannot be had.
  virtual std::string OwnExecutablePath() = 0;

  // Opens an existing file for reading, others may read it too; null when it
  // cannot be opened.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) = 0;

  // The user's private temporary directory, ending in the path separator:
  // a real directory (not a link) that the user owns and no one else may
  // enter. nullopt when there is none.
  virtual std::optional<std::string> PrivateTempDirectory() = 0;

  // Creates `path` for the user alone, or accepts an existing real directory
  // (not a link) that the user owns. False otherwise.
  [[nodiscard]] virtual bool MakePrivateFolder(const std::string& path) = 0;

  // Replaces the file `path` with `data`: written under a temporary name in
  // the same folder, then renamed over the old file, so that whoever has the
  // old one open or loaded keeps it and no one sees a half-written file. On
  // any failure the old file is left as it was and the result is false.
  [[nodiscard]] virtual bool WriteFileReplacing(const std::string& path,
                                                std::span<const uint8_t> data) = 0;

  // Loads a shared library with every symbol bound now; null on failure.
  // Never unloaded.
  virtual void* OpenLibrary(const std::string& path) = 0;

  // The address of an exported function; null when there is none.
  virtual void* FindFunction(void* library, const char* name) = 0;

  // Reports a fault to the user: one line on standard error, and a modal box
  // captioned "Error" with the critical icon when there is a display.
  virtual void ShowError(std::string_view message) = 0;

  // The separator placed after a folder in a path.
  virtual char PathSeparator() const = 0;
};

// The platform of this build (a process-wide object).
Platform& DefaultPlatform();

}  // namespace pcshop::launcher
