// libFuzzer target over the module image reader. Besides "no crash, no
// out-of-bounds access" (ASan, UBSan) it checks the reader's contract: every
// slot it hands on lies inside the code data, and an image it accepts can be
// written again from the view and reads back to the same content.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/image_model.h"
#include "image/image_reader.h"

namespace {

using namespace pcshop::image;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool SlotInCode(uint32_t offset, const SectionInfo& code) {
  return offset % kSlotSize == 0 && uint64_t{offset} + kSlotSize <= code.data_size;
}

ImageModel ModelOf(const ImageView& view) {
  ImageModel m;
  m.libraries = view.libraries;
  m.dll_commands = view.dll_commands;
  const SectionInfo& c = view.const_section();
  m.const_data.assign(view.bytes.begin() + c.data_offset,
                      view.bytes.begin() + c.data_offset + c.data_size);
  const SectionInfo& code = view.code_section();
  m.code_data.assign(view.bytes.begin() + code.data_offset,
                     view.bytes.begin() + code.data_offset + code.data_size);
  m.windows = view.windows;
  m.fixups = view.fixups;
  m.id_groups = view.id_groups;
  m.entry_code_offset = view.entry_offset - code.data_offset;
  return m;
}

void CheckView(const ImageView& view) {
  const SectionInfo& code = view.code_section();
  for (const auto& list : view.fixups) {
    for (uint32_t offset : list) Check(SlotInCode(offset, code));
  }
  for (const auto& group : view.id_groups) {
    for (uint32_t offset : group) Check(SlotInCode(offset, code));
  }
  for (const WindowForm& w : view.windows) {
    Check(w.window.type == 0x10001);
    for (const EventBinding& b : w.window.bindings) Check(SlotInCode(b.code_offset, code));
    for (const ControlForm& c : w.controls) {
      Check(c.parent >= -1 && c.parent < static_cast<int32_t>(w.controls.size()));
      for (const EventBinding& b : c.bindings) Check(SlotInCode(b.code_offset, code));
    }
  }
  Check(view.entry_offset >= code.data_offset &&
        SlotInCode(view.entry_offset - code.data_offset, code));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  (void)FindEmbeddedImage(bytes);

  pcshop::Result<ImageView> view = ReadImage(bytes);
  if (!view.ok()) return 0;
  CheckView(*view);

  pcshop::Result<std::vector<uint8_t>> written = WriteImage(ModelOf(*view));
  Check(written.ok());
  pcshop::Result<ImageView> again = ReadImage(*written);
  Check(again.ok());
  Check(again->libraries == view->libraries && again->dll_commands == view->dll_commands &&
        again->windows == view->windows && again->fixups == view->fixups &&
        again->id_groups == view->id_groups);
  return 0;
}
