#include "runtime/kernel/image_binding.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "image/calls/value_triple.h"
#include "image/link_table.h"

namespace pcshop::kernel {
namespace {

using image::FixupKind;
using image::IdGroup;
using image::ImageView;

uint64_t LoadSlot(std::span<const uint8_t> code, uint32_t offset) {
  uint64_t v = 0;
  std::memcpy(&v, code.data() + offset, sizeof v);
  return v;
}
void StoreSlot(std::span<uint8_t> code, uint32_t offset, uint64_t v) {
  std::memcpy(code.data() + offset, &v, sizeof v);
}

std::string Hex(uint64_t v) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
  return text;
}

Status Refuse(const std::string& message) { return Status::Corruption("image: " + message); }

Status CheckStubs(const ImageView& view, std::span<const uint8_t> code) {
  constexpr size_t kStubBytes = image::kStubOrder.size() * image::kSlotSize;
  if (code.size() < kStubBytes) {
    return Refuse("the code data (" + std::to_string(code.size()) +
                  " bytes) has no room for the twelve entry-point stubs");
  }
  const std::vector<uint32_t>& kind0 = view.fixups[static_cast<size_t>(FixupKind::kEntryPoint)];
  const std::set<uint32_t> stub_fixups(kind0.begin(), kind0.end());
  const uint32_t first = static_cast<uint32_t>(code.size() - kStubBytes);
  for (size_t i = 0; i < image::kStubOrder.size(); ++i) {
    const uint32_t offset = first + static_cast<uint32_t>(i * image::kSlotSize);
    const uint32_t expected = static_cast<uint32_t>(image::kStubOrder[i]);
    if (!stub_fixups.contains(offset) || LoadSlot(code, offset) != expected) {
      return Refuse("stub " + std::to_string(i + 1) + " at code offset " +
                    std::to_string(offset) + " is not the entry-point fixup of entry offset " +
                    std::to_string(expected));
    }
  }
  return Status::Ok();
}

Status CheckIds(const ImageView& view, std::span<const uint8_t> code) {
  std::set<uint32_t> form_ids;
  for (const image::WindowForm& w : view.windows) {
    form_ids.insert(w.id);
    form_ids.insert(w.window.id);
    for (const image::ControlForm& c : w.controls) form_ids.insert(c.id);
  }
  const char* const kGroupNames[image::kIdGroupCount] = {
      "window or control id", "DLL-command index", "library number", "type identifier"};
  for (uint32_t g = 0; g < image::kIdGroupCount; ++g) {
    for (uint32_t offset : view.id_groups[g]) {
      const uint64_t value = LoadSlot(code, offset);
      bool known = false;
      std::string why;
      switch (static_cast<IdGroup>(g)) {
        case IdGroup::kWindowsAndControls:
          known = value <= UINT32_MAX && form_ids.contains(static_cast<uint32_t>(value));
          why = "no window or control of the form section has it";
          break;
        case IdGroup::kDllCommands:
          known = value < view.dll_commands.size();
          why = "the image declares " + std::to_string(view.dll_commands.size()) +
                " DLL commands";
          break;
        case IdGroup::kLibraries:
          // Library 0 is the kernel itself; commands go to the support libraries.
          known = value >= 1 && value < view.libraries.size();
          why = "support libraries are numbered 1 to " +
                std::to_string(view.libraries.size() - (view.libraries.empty() ? 0 : 1));
          break;
        case IdGroup::kTypes:
          known = value <= UINT32_MAX && calls::IsKnownTypeId(static_cast<uint32_t>(value));
          why = "the runtime knows no such type";
          break;
      }
      if (!known) {
        return Refuse(std::string(kGroupNames[g]) + " " +
                      (g == static_cast<uint32_t>(IdGroup::kTypes) ? Hex(value)
                                                                   : std::to_string(value)) +
                      " in the id slot at code offset " + std::to_string(offset) + " is unknown: " +
                      why);
      }
    }
  }
  return Status::Ok();
}

}  // namespace

std::span<uint8_t> CodeData(const ImageView& view) {
  const image::SectionInfo& code = view.code_section();
  return view.bytes.subspan(code.data_offset, code.data_size);
}

Status CheckImageBinding(const ImageView& view) {
  const std::span<const uint8_t> code = CodeData(view);
  if (Status s = CheckStubs(view, code); !s.ok()) return s;
  uint64_t entry = 0;
  std::memcpy(&entry, view.bytes.data() + view.entry_offset, sizeof entry);
  if (entry == 0) {
    return Refuse("the entry routine ImageEntry is not bound (its slot at image offset " +
                  std::to_string(view.entry_offset) + " is 0)");
  }
  return CheckIds(view, code);
}

void ApplyImageBinding(const ImageView& view, const calls::EntryTable& entries,
                       std::span<uint64_t> var_area) {
  const std::span<uint8_t> code = CodeData(view);
  const uint64_t bases[4] = {
      reinterpret_cast<uintptr_t>(&entries[0]),
      reinterpret_cast<uintptr_t>(view.bytes.data() + view.const_section().data_offset),
      reinterpret_cast<uintptr_t>(var_area.data()),
      reinterpret_cast<uintptr_t>(code.data()),
  };
  for (size_t kind = 0; kind < 4; ++kind) {
    for (uint32_t offset : view.fixups[kind]) {
      uint64_t value = LoadSlot(code, offset);
      // Entry offsets count 4-byte entries; this runtime's entries are 8 bytes.
      if (kind == static_cast<size_t>(FixupKind::kEntryPoint)) value = value / 4 * sizeof(uintptr_t);
      StoreSlot(code, offset, bases[kind] + value);
    }
  }
  // Ids: the runtime numbers windows and controls by the form's ids, DLL
  // commands and libraries by the image's own lists, so every checked id
  // maps to itself and its slot stays as it is.
}

}  // namespace pcshop::kernel
