#pragma once
// What the image writer takes: the image's content before layout. The writer
// places the header, library list, DLL-command table, section chain, fixup
// lists and id groups, computing every offset and size; tools/mkimage fills
// the model from forms/ and the application's texts.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "image/image_view.h"
#include "base/status.h"

namespace pcshop::image {

struct ImageModel {
  std::vector<LibraryRecord> libraries;  // in library-number order, from 0
  std::vector<DllCommand> dll_commands;  // index = DLL-command index
  // Const data as mkimage laid it out: the empty text at offset 0, the
  // double 1.0 at offset 1, the empty binary value at offset 89, then texts
  // and binary values. The writer appends the DLL-command names after it
  // (sharing equal names) and points the header at them.
  std::string const_data;
  std::vector<WindowForm> windows;  // ids and bindings already assigned
  std::string code_data;            // the link table (see link_table.h)
  std::array<std::vector<uint32_t>, 4> fixups;                // code offsets by kind
  std::array<std::vector<uint32_t>, kIdGroupCount> id_groups;  // ascending
  uint32_t entry_code_offset = 0;   // ImageEntry's routine slot
};

[[nodiscard]] Result<std::vector<uint8_t>> WriteImage(const ImageModel& model);

}  // namespace pcshop::image
