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

// The folder that keeps DATA and 备份 (GBK text): the program folder when the
// program can write there, else the user's data folder
// ($XDG_DATA_HOME/pcshop, ~/.local/share/pcshop), for a program installed
// under /opt or /usr. The application sees it as its program folder.
[[nodiscard]] Result<std::string> DataKeepingFolder();

// Whether this process can make files in `folder` (platform file).
[[nodiscard]] bool FolderWritable(const std::filesystem::path& folder);

// Absolute native path of the running executable (platform file).
[[nodiscard]] Result<std::filesystem::path> ExecutablePath();

}  // namespace pcshop::files
