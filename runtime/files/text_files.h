#pragma once
// The runtime's text files: numbered open files that the application writes
// line by line (the list export) and may read back. The runtime owns one
// TextFiles object; file numbers are never reused, so a number that was
// closed stays invalid instead of reaching a file opened later.
//
// Open modes (anything else is refused):
//   1 read     the file must exist; lines come back through ReadTextLine
//   2 append   created when missing; every line goes behind the existing content
//   4 replace  created when missing; an existing file is emptied first, so an
//              export never leaves rows of an older, longer export behind
// The share argument is accepted and not enforced: POSIX has no mandatory
// sharing locks, and advisory ones would not stop other programs.
//
// Writes are buffered. A failed write is reported by the call that hits it and
// again by every later write and by the close of that file; it is never lost.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "runtime/files/native_file.h"
#include "base/status.h"

namespace pcshop::files {

enum class TextFileMode : int32_t { kRead = 1, kAppend = 2, kReplace = 4 };

class TextFiles {
 public:
  TextFiles() = default;
  TextFiles(const TextFiles&) = delete;
  TextFiles& operator=(const TextFiles&) = delete;
  // Closes every file still open; call CloseAll() first to see the outcome.
  ~TextFiles();

  // A file number > 0. The command layer turns an error into the number 0.
  [[nodiscard]] Result<int32_t> OpenTextFile(std::string_view gbk_path, int32_t mode,
                                             int32_t share);

  // Moves the file position and returns it, counted from the start. Called with
  // the number alone it moves to the end, ready to write behind what is there;
  // right after a mode-4 open the file is empty, so nothing moves.
  [[nodiscard]] Result<int64_t> SeekFile(int32_t number, SeekOrigin origin = SeekOrigin::kEnd,
                                         int64_t offset = 0);

  // Writes the text's bytes unchanged, then "\r\n".
  [[nodiscard]] Status WriteTextLine(int32_t number, std::string_view gbk_text);

  // The next line without its "\r\n" (or "\n"); NotFound at the end of the file.
  [[nodiscard]] Result<std::string> ReadTextLine(int32_t number);

  // Writes what is buffered and closes. The number is invalid afterwards, even
  // when the close reports an error.
  [[nodiscard]] Status CloseTextFile(int32_t number);

  // Closes every open file; the first failure is returned, all are closed.
  [[nodiscard]] Status CloseAll();

  // True when something other than a folder exists at the path.
  [[nodiscard]] bool FileExists(std::string_view gbk_path) const;

  size_t open_count() const { return open_.size(); }

 private:
  struct OpenFile {
    NativeFile file;
    TextFileMode mode;
    std::string write_buffer;
    std::string read_buffer;
    size_t read_pos = 0;
    Status failure;  // the first write failure, repeated until the close
  };

  Result<OpenFile*> Find(int32_t number);
  static Status Flush(OpenFile& f);

  std::map<int32_t, OpenFile> open_;
  int32_t next_number_ = 1;
};

}  // namespace pcshop::files
