#pragma once
// Putting a finished, checked table file in place of an existing one.

#include <filesystem>

#include "base/status.h"

namespace pcshop::servercopy {

// Syncs `temp`, removes the side files SQLite may have left beside `target`
// (a log or journal there would be applied to the new file), renames `temp`
// over `target` in one step and syncs the folder.
Status ReplaceTableFile(const std::filesystem::path& temp, const std::filesystem::path& target);

}  // namespace pcshop::servercopy
