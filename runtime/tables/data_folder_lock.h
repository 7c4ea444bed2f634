#pragma once
// Every copy of the program that keeps its tables as files holds a shared
// lock on a file beside its DATA folder for as long as it runs. A restore
// swaps the whole folder under the open tables of every copy, whose later
// writes would go into the removed files: it takes the lock alone, so it is
// refused while another copy runs, and a copy that starts meanwhile waits
// until the new folder is in place.

#include <filesystem>

namespace pcshop::tables {

class DataFolderLock {
 public:
  DataFolderLock() = default;
  // Shares the lock of `data`, waiting while a restore holds it. Where the
  // lock file can be neither opened nor made (a read-only shop), nothing is
  // held.
  explicit DataFolderLock(const std::filesystem::path& data);
  ~DataFolderLock();
  DataFolderLock(DataFolderLock&& other) noexcept;
  DataFolderLock& operator=(DataFolderLock&& other) noexcept;
  DataFolderLock(const DataFolderLock&) = delete;
  DataFolderLock& operator=(const DataFolderLock&) = delete;

  bool held() const { return fd_ >= 0; }
  // True when no other copy uses the folder; it is then held alone until
  // ShareAgain. False leaves it shared. Without a lock nothing is known, and
  // it answers true.
  [[nodiscard]] bool TakeAlone();
  void ShareAgain();
  // Whether another copy uses the folder now (TakeAlone and ShareAgain).
  bool OthersUseIt();

 private:
  int fd_ = -1;
};

}  // namespace pcshop::tables
