#include "runtime/files/program_folder.h"

#include <system_error>

#include "runtime/files/native_path.h"

namespace pcshop::files {

Result<std::string> ProgramFolderOf(const std::filesystem::path& executable) {
  if (!executable.is_absolute() || !executable.has_filename()) {
    return Status::InvalidArgument("executable path is not an absolute file path: " +
                                   executable.string());
  }
  std::string folder = executable.parent_path().string();
  // The root folder becomes the empty text, so "\DATA" still lands in "/DATA".
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  // The path layer reads every "\" as a separator; a folder name holding one
  // would send the data somewhere else.
  if (folder.find('\\') != std::string::npos) {
    return Status::InvalidArgument("program folder contains a backslash: " + folder);
  }
  auto text = ToTextPath(folder);
  if (!text.ok()) {
    return Status::InvalidArgument("program folder cannot be written in GBK: " + folder);
  }
  return text;
}

Result<std::string> ProgramFolder() {
  auto exe = ExecutablePath();
  if (!exe.ok()) return exe.status();
  return ProgramFolderOf(*exe);
}

Result<std::string> DataKeepingFolder() {
  auto exe = ExecutablePath();
  if (!exe.ok()) return exe.status();
  // A program folder that already holds the shop's DATA keeps it there even
  // when it cannot be written: those tables open read-only as before, rather
  // than an empty shop appearing in the user's folder.
  std::error_code ec;
  if (FolderWritable(exe->parent_path()) ||
      std::filesystem::is_directory(exe->parent_path() / "DATA", ec)) {
    return ProgramFolderOf(*exe);
  }
  const std::filesystem::path user = UserDataFolder();
  std::string folder = user.string();
  if (folder.find('\\') != std::string::npos) {
    return Status::InvalidArgument("data folder contains a backslash: " + folder);
  }
  auto text = ToTextPath(folder);
  if (!text.ok()) return Status::InvalidArgument("data folder cannot be written in GBK: " + folder);
  return text;
}

}  // namespace pcshop::files
