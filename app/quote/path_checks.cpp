#include "app/quote/path_checks.h"

#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// Where a DLL call that took the wrong number of words is reported.
constexpr calls::Site kPathChecksSite{31, 0};
constexpr int32_t kSystemFolderBufferSize = 255;
constexpr uint64_t kDirectoryAttribute = 16;

uintptr_t Word(const char* text) { return reinterpret_cast<uintptr_t>(text); }

}  // namespace

bool EndsWithSeparator(std::string_view gbk) {
  // Walk whole characters: a GBK lead byte (0x81-0xFE) takes the next byte.
  bool last_is_separator = false;
  for (size_t i = 0; i < gbk.size(); ++i) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte >= 0x81 && byte <= 0xFE && i + 1 < gbk.size()) {
      last_is_separator = false;
      ++i;
    } else {
      last_is_separator = byte == '\\';
    }
  }
  return last_is_separator;
}

std::string SystemFolder(calls::Calls& rt) {
  calls::OwnedText buffer = rt.MakeTextBuffer(kSystemFolderBufferSize);
  if (!buffer) return "\\";
  rt.Dll(rt.Id(sym::dll::kCommand0),
         {reinterpret_cast<uintptr_t>(buffer.get()), uintptr_t{kSystemFolderBufferSize}},
         kPathChecksSite);
  std::string folder(buffer.view());
  if (!EndsWithSeparator(folder)) folder += rt.ConstText(sym::text::kBackslash);
  return folder;
}

bool PathExists(calls::Calls& rt, const char* path) {
  const uint64_t answer = rt.Dll(rt.Id(sym::dll::kCommand1), {Word(path)}, kPathChecksSite);
  return static_cast<uint32_t>(answer) == 1;
}

void CopyIfAbsent(calls::Calls& rt, const char* source, const char* target) {
  rt.Dll(rt.Id(sym::dll::kCommand2), {Word(source), Word(target), uintptr_t{1}},
         kPathChecksSite);
}

bool IsDirectory(calls::Calls& rt, const char* path) {
  const uint64_t answer = rt.Dll(rt.Id(sym::dll::kCommand4), {Word(path)}, kPathChecksSite);
  return static_cast<uint32_t>(answer) == kDirectoryAttribute;
}

uint64_t EnsureDirectory(calls::Calls& rt, std::string_view path) {
  std::string folder(path);
  if (!EndsWithSeparator(folder)) folder += rt.ConstText(sym::text::kBackslash);
  return rt.Dll(rt.Id(sym::dll::kCommand5), {Word(folder.c_str())}, kPathChecksSite);
}

}  // namespace pcshop::app
