#pragma once
// The program folder: the folder of the running executable, as the application
// sees it (a GBK text path without a trailing separator). Every data path is
// built by appending "\DATA\..." to it.

#include <filesystem>
#include <string>

#include "base/status.h"

namespace pcshop::files {

// The folder of the running executable.
[[nodiscard]] Result<std::string> ProgramFolder();

// The folder of `executable` (an absolute native path). Split from
// ProgramFolder() so tests can name any executable.
[[nodiscard]] Result<std::string> ProgramFolderOf(const std::filesystem::path& executable);

// Absolute native path of the running executable (platform file).
[[nodiscard]] Result<std::filesystem::path> ExecutablePath();

}  // namespace pcshop::files
