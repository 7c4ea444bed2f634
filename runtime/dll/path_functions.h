#pragma once
// The path functions of the DLL-command table, with their Win32 results, on
// top of the file layer: every path is a GBK text that ToNativePath maps, so
// "c:\windows\system32" lives in the per-user drive folder.
//
// The first group has the signatures the native call interface hands over
// (pointers and 32-bit words); a null pointer is treated as a path that does
// not exist. The second group is the same behaviour for C++ callers.

#include <cstdint>
#include <string_view>

#include "base/status.h"

namespace pcshop::dll {

inline constexpr std::string_view kSystemFolder = "C:\\windows\\system32";
inline constexpr int32_t kFileAttributeDirectory = 16;

// Copies the system folder (no trailing "\") with its terminator and returns
// its length without the terminator. When `size` is too small, nothing is
// written and the result is the size needed, terminator included. A null
// buffer with a non-zero size is a failure: 0.
uint32_t GetSystemDirectoryA(char* buffer, uint32_t size);
// 1 when a file or folder exists at the path, 0 otherwise.
int32_t PathFileExistsA(const char* path);
// 1 on success, 0 on failure. A non-zero `fail_if_exists` never touches an
// existing target. Readers never see a half-written target.
int32_t CopyFileA(const char* from, const char* to, int32_t fail_if_exists);
// kFileAttributeDirectory for an existing folder, 0 otherwise.
int32_t PathIsDirectoryA(const char* path);
// Creates every missing folder of the path up to its last "\" (the part after
// it is a file name and is not created). 1 on success, 0 on failure.
int32_t MakeSureDirectoryPathExists(const char* path);

[[nodiscard]] bool PathExists(std::string_view gbk_path);
[[nodiscard]] bool IsDirectoryPath(std::string_view gbk_path);
[[nodiscard]] Status CopyFileChecked(std::string_view gbk_from, std::string_view gbk_to,
                                     bool fail_if_exists);
[[nodiscard]] Status CreateFoldersOfPath(std::string_view gbk_path);

}  // namespace pcshop::dll
