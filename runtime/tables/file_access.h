#pragma once
// Whether this process may write a file or a folder: a read-only mount, an
// immutable file and missing permissions all count as not writable. The
// operating-system call lives in file_access_posix.cpp.

#include <filesystem>

namespace pcshop::tables {

bool CanWrite(const std::filesystem::path& p);

}  // namespace pcshop::tables
