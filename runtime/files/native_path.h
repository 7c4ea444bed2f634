#pragma once
// The application builds Windows-style GBK paths ("<program folder>\DATA\配置.zdb",
// "c:\windows\system32\..."). This layer turns them into native paths: decode
// the GBK first, then turn "\" into "/" (0x5C occurs as a GBK trail byte, so
// the bytes are never scanned for it). A drive path maps into a per-user drive
// folder, $XDG_DATA_HOME/pcshop/drive_<letter>, the way Wine maps drive C.

#include <filesystem>
#include <string>
#include <string_view>

#include "base/status.h"

namespace pcshop::files {

// Invalid GBK is an error; the empty text is an error too (no file has it).
Result<std::filesystem::path> ToNativePath(std::string_view gbk_path);

// The native folder that stands for drive `letter` (a-z, either case).
std::filesystem::path DriveFolder(char letter);
// The user's own folder of the program: $XDG_DATA_HOME/pcshop.
std::filesystem::path UserDataFolder();

// A native path as the application sees it: GBK, "/" kept as is. Characters
// GBK cannot hold are an error.
Result<std::string> ToTextPath(const std::filesystem::path& native);

}  // namespace pcshop::files
