#include <unistd.h>

#include "runtime/tables/file_access.h"

namespace pcshop::tables {

// access() answers for the real user and knows about read-only mounts and
// immutable files, where the mode bits alone would not tell.
bool CanWrite(const std::filesystem::path& p) { return ::access(p.c_str(), W_OK) == 0; }

}  // namespace pcshop::tables
