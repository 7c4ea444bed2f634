#include "app/quote/skin_library.h"

#include <string>

#include "app/global_slots.h"
#include "app/quote/path_checks.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

constexpr calls::Site kAttachSkinSite{32, 0};
constexpr size_t kBinaryHeaderSize = 8;  // marker 1, byte length

}  // namespace

void LocateSkinLibrary(calls::Calls& rt, const char* preferred) {
  calls::OwnedText normalized = rt.NormalizeText(preferred);
  StoreSlotText(rt, kSkinLibraryPathSlot, normalized.view());
  if (rt.FileExists(SlotText(rt, kSkinLibraryPathSlot))) return;

  calls::OwnedText program_folder = rt.ProgramFolder();
  const std::string beside_program =
      std::string(program_folder.view()) + rt.ConstText(sym::text::kSkinLibraryFile);
  if (rt.FileExists(beside_program.c_str())) {
    StoreSlotText(rt, kSkinLibraryPathSlot, beside_program);
  }
  const std::string in_system_folder =
      SystemFolder(rt) + rt.ConstText(sym::text::kSkinLibraryName);
  if (rt.FileExists(in_system_folder.c_str())) {
    StoreSlotText(rt, kSkinLibraryPathSlot, in_system_folder);
  }
}

bool SkinFunctionAvailable(calls::Calls& rt, const char* function) {
  const char* path = SlotText(rt, kSkinLibraryPathSlot);
  if (!rt.FileExists(path)) return false;
  return rt.BindDllLibrary(path, function);
}

bool AttachSkin(calls::Calls& rt, const void* skin, const char* text, int32_t a, int32_t b,
                int32_t c) {
  if (!SkinFunctionAvailable(rt, rt.ConstText(sym::text::kSkinAttachFunction))) return false;
  const auto* bytes = static_cast<const unsigned char*>(skin) + kBinaryHeaderSize;
  const int32_t length = rt.BinaryLength(skin);
  // The library receives an empty text as no text at all.
  const char* text_word = (text == nullptr || *text == '\0') ? nullptr : text;
  const uint64_t answer = rt.Dll(
      rt.Id(sym::dll::kCommand3),
      {reinterpret_cast<uintptr_t>(bytes), static_cast<uintptr_t>(static_cast<uint32_t>(length)),
       reinterpret_cast<uintptr_t>(text_word), static_cast<uintptr_t>(static_cast<uint32_t>(a)),
       static_cast<uintptr_t>(static_cast<uint32_t>(b)),
       static_cast<uintptr_t>(static_cast<uint32_t>(c))},
      kAttachSkinSite);
  rt.BindDllLibrary(nullptr, nullptr);  // release the library again
  return static_cast<int32_t>(static_cast<uint32_t>(answer)) == 0;
}

void DeployAndAttachSkin(calls::Calls& rt) {
  const char* system_copy = rt.ConstText(sym::text::kSystemSkinPath);
  if (!PathExists(rt, system_copy)) {
    calls::OwnedText program_folder = rt.ProgramFolder();
    const std::string beside_program =
        std::string(program_folder.view()) + rt.ConstText(sym::text::kSkinLibraryFile);
    CopyIfAbsent(rt, beside_program.c_str(), system_copy);
    CopyIfAbsent(rt, rt.ConstText(sym::text::kTempSkinPath), system_copy);
  }
  if (!PathExists(rt, system_copy)) return;
  const void* skin = rt.ConstBinary(sym::binary::kSkin);
  const char* no_text = rt.ConstText(sym::text::kEmpty);
  if (!AttachSkin(rt, skin, no_text, 0, 0, 0)) AttachSkin(rt, skin, no_text, 0, 0, 0);
}

}  // namespace pcshop::app
