#pragma once
// The start-up's questions to the file system, each one platform function of
// the DLL-command table (sym::dll): GetSystemDirectoryA (0), PathFileExistsA
// (1), CopyFileA (2), PathIsDirectoryA (4), MakeSureDirectoryPathExists (5).
// Texts are GBK.

#include <string>
#include <string_view>

#include "image/calls/calls.h"

namespace pcshop::app {

// The system folder, always ending in "\".
std::string SystemFolder(calls::Calls& rt);

// True exactly when PathFileExistsA answers 1.
bool PathExists(calls::Calls& rt, const char* path);

// CopyFileA(source, target, fail if the target exists); never overwrites, and
// a failure is not looked at.
void CopyIfAbsent(calls::Calls& rt, const char* source, const char* target);

// True exactly when PathIsDirectoryA answers the directory attribute (16).
bool IsDirectory(calls::Calls& rt, const char* path);

// Makes every missing folder of `path`; a "\" is appended when missing.
// Returns what MakeSureDirectoryPathExists returned.
uint64_t EnsureDirectory(calls::Calls& rt, std::string_view path);

// Whether the GBK text ends in a "\" character. A "\" byte that is the second
// byte of a two-byte character does not count.
bool EndsWithSeparator(std::string_view gbk);

}  // namespace pcshop::app
