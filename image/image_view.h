#pragma once
// The parsed view of a module image: what the reader hands to the runtime
// and to the dumper after validating every offset, size and count. Texts are
// GBK bytes. The view copies what it describes, except `bytes`, which points
// into the image (the runtime patches the code section through it).

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/link_table.h"

namespace pcshop::image {

struct LibraryRecord {
  std::string name;         // "morva", "ctlpk", "xlsbridge"
  std::string identifier;   // 32 hex digits
  std::string major, minor;
  std::string description;

  bool operator==(const LibraryRecord&) const = default;
};

struct DllCommand {
  std::string library;   // as declared, with or without ".dll"
  std::string function;

  bool operator==(const DllCommand&) const = default;
};

struct SectionInfo {
  std::string name;          // "const", "form", "help", "code", "var", "@reloc1"
  uint32_t header_offset = 0;
  uint32_t flags = 0;
  uint32_t memory_size = 0;
  uint32_t data_size = 0;
  uint32_t data_offset = 0;  // 0xFFFFFFFF when nothing is stored

  bool operator==(const SectionInfo&) const = default;
};

struct EventBinding {
  int32_t event = 0;         // the runtime's event number
  uint32_t code_offset = 0;  // offset of a routine slot in the code data

  bool operator==(const EventBinding&) const = default;
};

struct ListColumn {
  std::string title;
  int32_t width = 0;
  int32_t alignment = 0;  // 0 left, 1 right, 2 centre

  bool operator==(const ListColumn&) const = default;
};

// One record of a window block: the window itself (type 0x10001) or a control.
struct ControlForm {
  uint32_t id = 0;
  uint32_t type = 0;   // type identifier, e.g. 0x1000B button
  std::string name;    // e.g. "按钮配置保存" in GBK
  int32_t left = 0, top = 0, width = 0, height = 0;
  bool visible = true;
  bool enabled = true;
  uint32_t style = 0;  // kind-specific bits (combo: 1 = list only; edit: 1 = read only ...)
  std::string caption; // caption or initial text
  std::string font_name;
  int32_t font_size = 0;    // points; 0 = default
  int32_t input_limit = 0;  // bytes; 0 = no limit
  int32_t parent = -1;      // index of the enclosing control (group box), -1 = window
  std::vector<std::string> items;               // combo box items
  std::vector<ListColumn> columns;              // list view columns
  std::vector<std::vector<std::string>> rows;   // list view design-time rows
  std::vector<EventBinding> bindings;

  bool operator==(const ControlForm&) const = default;
};

struct WindowForm {
  uint32_t id = 0;
  ControlForm window;                 // the first record
  std::vector<ControlForm> controls;  // the other records, in list order

  bool operator==(const WindowForm&) const = default;
};

struct ImageView {
  std::span<uint8_t> bytes;   // the whole image
  uint32_t entry_offset = 0;  // image offset of ImageEntry's routine slot
  std::vector<LibraryRecord> libraries;
  std::vector<DllCommand> dll_commands;
  // const, form, help, code, var, @reloc1, in chain order.
  std::array<SectionInfo, 6> sections;
  // Code offsets of the address fixups, by kind (0..3), in list order.
  std::array<std::vector<uint32_t>, 4> fixups;
  // Code offsets of the id slots, by group (0..3).
  std::array<std::vector<uint32_t>, kIdGroupCount> id_groups;
  std::vector<WindowForm> windows;

  const SectionInfo& const_section() const { return sections[0]; }
  const SectionInfo& form_section() const { return sections[1]; }
  const SectionInfo& code_section() const { return sections[3]; }
  const SectionInfo& var_section() const { return sections[4]; }
  const SectionInfo& reloc_section() const { return sections[5]; }
};

}  // namespace pcshop::image
