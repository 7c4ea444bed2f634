#pragma once
// What tells one file from another, and a file from itself after a change:
// equal identities mean the same file, unchanged since it was looked at.
// The change time moves on every write, rename, link or mode change and
// cannot be set back by its owner.

#include <cstdint>

namespace pcshop::launcher {

struct FileIdentity {
  uint64_t size = 0;
  uint64_t device = 0;
  uint64_t file_id = 0;       // the inode number
  int64_t change_time = 0;    // nanoseconds
  int64_t modified_time = 0;  // nanoseconds

  bool operator==(const FileIdentity&) const = default;
};

}  // namespace pcshop::launcher
