#include "runtime/files/native_path.h"

#include <cctype>
#include <cstdlib>

#include "runtime/text/gbk_codec.h"

namespace pcshop::files {
namespace {

std::filesystem::path DataHome() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
    return xdg;
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    return std::filesystem::path(home) / ".local" / "share";
  }
  return std::filesystem::temp_directory_path();
}

}  // namespace

std::filesystem::path UserDataFolder() { return DataHome() / "pcshop"; }

std::filesystem::path DriveFolder(char letter) {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  return DataHome() / "pcshop" / (std::string("drive_") + lower);
}

Result<std::filesystem::path> ToNativePath(std::string_view gbk_path) {
  if (gbk_path.empty()) return Status::InvalidArgument("empty path");
  auto utf8 = text::GbkToUtf8(gbk_path);
  if (!utf8.ok()) return Status::InvalidArgument("path is not valid GBK");
  std::string p = std::move(utf8).value();
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    std::string rest = p.substr(2);
    while (!rest.empty() && rest.front() == '/') rest.erase(rest.begin());
    std::filesystem::path drive = DriveFolder(p[0]);
    return rest.empty() ? drive : drive / rest;
  }
  return std::filesystem::path(p);
}

Result<std::string> ToTextPath(const std::filesystem::path& native) {
  auto gbk = text::Utf8ToGbk(native.string());
  if (!gbk.ok()) return Status::InvalidArgument("path has a character GBK cannot hold");
  return gbk;
}

}  // namespace pcshop::files
