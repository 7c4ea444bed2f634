#pragma once
// Names of a DATA folder's tables on the server: "<folder's own name>/<file
// name>" as GBK bytes, so the program's \DATA\CPU.zdb is DATA/CPU.zdb.

#include <filesystem>
#include <string>

#include "base/status.h"

namespace pcshop::servercopy {

// "<folder's own name>/" in GBK ("DATA/"), from the path as given (a link's
// own name, not its target's).
Result<std::string> FolderPrefix(const std::filesystem::path& folder);

// The server name of a table file: prefix + the file's name in GBK.
Result<std::string> ServerName(const std::string& prefix, const std::filesystem::path& file);

// The file in `folder` for the server table `name`, which starts with
// `prefix`. A name whose rest is not a plain file name (a further folder,
// "..", bytes that are not GBK) is refused.
Result<std::filesystem::path> FileFor(const std::filesystem::path& folder,
                                      const std::string& prefix, const std::string& name);

}  // namespace pcshop::servercopy
