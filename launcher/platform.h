#pragma once
// Every operating-system call the launcher makes, behind one small interface.
// platform_posix.cpp implements it for Linux; a Win32 variant is one more
// file. Tests and the benchmark wrap the real platform to fail or redirect
// single calls.
//
// Files are reached only through a Folder: a folder checked once and held
// open, and every later step made relative to that handle, so that a folder
// swapped after the check is never used.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/file_identity.h"

namespace pcshop::launcher {

// A file opened for reading.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  virtual std::optional<uint64_t> Size() = 0;
  // Fills `out` from `offset`; false on an error or when the file ends first.
  [[nodiscard]] virtual bool ReadAt(uint64_t offset, std::span<uint8_t> out) = 0;
  // The open file's identity; nullopt when it cannot be had.
  virtual std::optional<FileIdentity> Identity() = 0;
};

// A folder held open. Names are plain file names inside it.
class Folder {
 public:
  virtual ~Folder() = default;

  // The path the folder was opened under, ending in the path separator; for
  // building names and checking lengths only, never opened again.
  virtual const std::string& Path() const = 0;

  // Creates the sub-folder `name` for the user alone, or accepts an existing
  // one that is a real folder (not a link) owned by the user and writable by
  // no one else; null otherwise.
  virtual std::unique_ptr<Folder> MakePrivateFolder(const std::string& name) = 0;

  // Replaces the file `name` with `data`: written under a temporary name in
  // this folder, then renamed over the old file, so that whoever has the old
  // one open or loaded keeps it and no one sees a half-written file. The new
  // file's identity, or nullopt on any failure (the old file is then left as
  // it was and no temporary file stays behind).
  virtual std::optional<FileIdentity> WriteFileReplacing(const std::string& name,
                                                         std::span<const uint8_t> data) = 0;

  // The identity of `name` when it is a regular file (not a link) owned by
  // the user; nullopt otherwise.
  virtual std::optional<FileIdentity> OwnFileIdentity(const std::string& name) = 0;

  // The bytes of `name` when it is such a file of at most `max_size` bytes.
  virtual std::optional<std::vector<uint8_t>> ReadOwnFile(const std::string& name,
                                                          size_t max_size) = 0;

  // Removes the file `name`; true when it is gone (or never was).
  [[nodiscard]] virtual bool RemoveFile(const std::string& name) = 0;

  // Loads the library `name` with every symbol bound now, from the file the
  // handle names (a link is refused); null on failure. Never unloaded.
  virtual void* OpenLibrary(const std::string& name) = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The full path of the running executable; empty when it cannot be had.
  virtual std::string OwnExecutablePath() = 0;

  // Opens an existing file for reading, others may read it too; null when it
  // cannot be opened.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) = 0;

  // The user's private temporary directory: the first candidate whose path,
  // from the root down, no other user can change, and which is a real folder
  // owned by the user that no one else may enter. Null when every candidate
  // is refused; nothing is written into a refused one. A folder made afresh
  // for this start alone, which no later start can find, is removed with
  // what it holds when the folder and those made in it are dropped (a
  // library loaded from it stays loaded).
  virtual std::unique_ptr<Folder> PrivateTempDirectory() = 0;

  // The address of an exported function; null when there is none.
  virtual void* FindFunction(void* library, const char* name) = 0;

  // Reports a fault to the user: one line on standard error, and a modal box
  // captioned "Error" with the critical icon when there is a display.
  virtual void ShowError(std::string_view message) = 0;
};

// The platform of this build (a process-wide object).
Platform& DefaultPlatform();

}  // namespace pcshop::launcher
