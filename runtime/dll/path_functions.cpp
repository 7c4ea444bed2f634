#include "runtime/dll/path_functions.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "runtime/files/file_copy.h"
#include "runtime/files/native_path.h"
#include "runtime/text/gbk_codec.h"

namespace pcshop::dll {
namespace {

namespace fs = std::filesystem;

std::string_view View(const char* text) { return text == nullptr ? std::string_view() : text; }

// The system folder always exists on the system these programs were made for;
// it is made here the first time the program asks for it, so copying into it
// (the skin deployment) can work on a fresh machine.
void EnsureSystemFolder() {
  auto native = files::ToNativePath(kSystemFolder);
  if (!native.ok()) return;
  std::error_code ec;
  fs::create_directories(*native, ec);
}

}  // namespace

uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) {
  EnsureSystemFolder();
  const auto length = static_cast<uint32_t>(kSystemFolder.size());
  if (size <= length) return length + 1;
  if (buffer == nullptr) return 0;
  std::memcpy(buffer, kSystemFolder.data(), length);
  buffer[length] = '\0';
  return length;
}

bool PathExists(std::string_view gbk_path) {
  auto native = files::ToNativePath(gbk_path);
  if (!native.ok()) return false;
  std::error_code ec;
  return fs::exists(*native, ec);
}

bool IsDirectoryPath(std::string_view gbk_path) {
  auto native = files::ToNativePath(gbk_path);
  if (!native.ok()) return false;
  std::error_code ec;
  return fs::is_directory(*native, ec);
}

Status CopyFileChecked(std::string_view gbk_from, std::string_view gbk_to, bool fail_if_exists) {
  auto from = files::ToNativePath(gbk_from);
  if (!from.ok()) return from.status();
  auto to = files::ToNativePath(gbk_to);
  if (!to.ok()) return to.status();
  return files::CopyFileAtomically(*from, *to, !fail_if_exists);
}

Status CreateFoldersOfPath(std::string_view gbk_path) {
  // Look for the last separator in the decoded text: 0x5C is also a GBK
  // trail byte, so the raw bytes cannot be searched for "\".
  auto utf8 = text::GbkToUtf8(gbk_path);
  if (!utf8.ok()) return utf8.status();
  const size_t last = utf8->find_last_of("\\/");
  if (last == std::string::npos) return Status::Ok();  // a bare file name: no folder to make
  auto folder_gbk = text::Utf8ToGbk(std::string_view(*utf8).substr(0, last + 1));
  if (!folder_gbk.ok()) return folder_gbk.status();
  auto native = files::ToNativePath(*folder_gbk);
  if (!native.ok()) return native.status();
  std::error_code ec;
  fs::create_directories(*native, ec);
  // create_directories reports nothing when the last part already exists as a
  // file; only a folder counts.
  if (!ec && !fs::is_directory(*native, ec)) {
    return Status::IOError("not a folder: " + native->string());
  }
  if (ec) return Status::IOError("cannot create " + native->string() + ": " + ec.message());
  return Status::Ok();
}

int32_t PathFileExistsA(const char* path) { return PathExists(View(path)) ? 1 : 0; }

int32_t CopyFileA(const char* from, const char* to, int32_t fail_if_exists) {
  return CopyFileChecked(View(from), View(to), fail_if_exists != 0).ok() ? 1 : 0;
}

int32_t PathIsDirectoryA(const char* path) {
  return IsDirectoryPath(View(path)) ? kFileAttributeDirectory : 0;
}

int32_t MakeSureDirectoryPathExists(const char* path) {
  if (path == nullptr) return 0;
  return CreateFoldersOfPath(View(path)).ok() ? 1 : 0;
}

}  // namespace pcshop::dll
