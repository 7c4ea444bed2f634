#include "runtime/dll/dll_table.h"

#include <array>
#include <cctype>
#include <string>

#include "runtime/dll/list_messages.h"
#include "runtime/dll/path_functions.h"
#include "runtime/dll/text_functions.h"

namespace pcshop::dll {
namespace {

// Argument words arrive as the native side pushed them: 32-bit values in the
// low bits, addresses whole.
char* Text(NativeWord w) { return reinterpret_cast<char*>(w); }
uint32_t Word(NativeWord w) { return static_cast<uint32_t>(w); }
int32_t Int(NativeWord w) { return static_cast<int32_t>(Word(w)); }
NativeWord Result32(int32_t v) { return static_cast<NativeWord>(static_cast<uint32_t>(v)); }

NativeWord CallGetSystemDirectoryA(const NativeWord* a) {
  return GetSystemDirectoryA(Text(a[0]), Word(a[1]));
}
NativeWord CallPathFileExistsA(const NativeWord* a) { return Result32(PathFileExistsA(Text(a[0]))); }
NativeWord CallCopyFileA(const NativeWord* a) {
  return Result32(CopyFileA(Text(a[0]), Text(a[1]), Int(a[2])));
}
NativeWord CallPathIsDirectoryA(const NativeWord* a) {
  return Result32(PathIsDirectoryA(Text(a[0])));
}
NativeWord CallMakeSureDirectoryPathExists(const NativeWord* a) {
  return Result32(MakeSureDirectoryPathExists(Text(a[0])));
}
NativeWord CallLstrcpyn(const NativeWord* a) {
  return reinterpret_cast<NativeWord>(lstrcpyn(Text(a[0]), Text(a[1]), Int(a[2])));
}
NativeWord CallPathRemoveBlanksA(const NativeWord* a) {
  PathRemoveBlanksA(Text(a[0]));
  return 0;  // the function has no result
}

NativeWord CallSendMessageA(const ListControls& lists, const NativeWord* a) {
  return SendListMessage(lists, a[0], Word(a[1]), a[2], a[3]);
}

constexpr std::array<DllFunction, 9> kFunctions{{
    {"kernel32", "GetSystemDirectoryA", 2, CallGetSystemDirectoryA},
    {"kernel32", "CopyFileA", 3, CallCopyFileA},
    {"kernel32", "lstrcpyn", 3, CallLstrcpyn},
    {"kernel32", "lstrcpynA", 3, CallLstrcpyn},
    {"shlwapi", "PathFileExistsA", 1, CallPathFileExistsA},
    {"shlwapi", "PathIsDirectoryA", 1, CallPathIsDirectoryA},
    {"shlwapi", "PathRemoveBlanksA", 1, CallPathRemoveBlanksA},
    {"dbghelp", "MakeSureDirectoryPathExists", 1, CallMakeSureDirectoryPathExists},
    {"user32", "SendMessageA", 4, nullptr, CallSendMessageA},
}};

std::string LibraryKey(std::string_view library) {
  std::string key;
  for (char c : library) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (key.size() > 4 && key.ends_with(".dll")) key.resize(key.size() - 4);
  return key;
}

}  // namespace

Result<DllFunction> ResolveDllFunction(std::string_view library, std::string_view function) {
  const std::string key = LibraryKey(library);
  const std::string name = std::string(library) + "!" + std::string(function);
  for (const DllFunction& f : kFunctions) {
    if (f.library != key || f.function != function) continue;
    if (f.call == nullptr && f.list_call == nullptr) {
      return Status::NotFound(name + " is not available yet");
    }
    return f;
  }
  return Status::NotFound(name + " is not a platform function the runtime supplies");
}

}  // namespace pcshop::dll
