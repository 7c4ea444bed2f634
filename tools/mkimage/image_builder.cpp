#include "tools/mkimage/image_builder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <map>

#include "image/event_numbers.h"
#include "image/link_table.h"
#include "runtime/text/gbk_codec.h"

namespace pcshop::mkimage {
namespace {

using image::EntryPoint;
using image::FixupKind;
using image::IdGroup;

// Const data: the empty text at 0, the double 1.0 at 1, the empty binary
// value at 89; what lies between is zero (empty texts).
constexpr uint32_t kOneOffset = 1;
constexpr uint32_t kEmptyBinaryOffset = 89;
constexpr uint32_t kBinaryMarker = 1;

// Control ids: window id * kControlIdBase + position, so that one id names
// one control in the whole image.
constexpr uint32_t kControlIdBase = 1000;

struct LibraryInfo {
  const char* name;
  const char* identifier;
  const char* major;
  const char* minor;
  const char* description;
};
constexpr std::array<LibraryInfo, 3> kLibraries = {{
    {"morva", "1760BDC46D534CB8BBBB2A19996EBC6B", "5", "7", "系统核心支持库"},
    {"ctlpk", "A049B2368E68432993E09BD693C51573", "2", "0", "扩展界面支持库"},
    {"xlsbridge", "6225646B10DF41BF97280D5DEF5D4658", "2", "0", "电子表格支持库"},
}};

struct DllInfo {
  const char* library;
  const char* function;
};
constexpr std::array<DllInfo, 12> kDllCommands = {{
    {"kernel32", "GetSystemDirectoryA"},
    {"shlwapi.dll", "PathFileExistsA"},
    {"kernel32.dll", "CopyFileA"},
    {"SkinMV.dll", "SkinAttachRes"},
    {"shlwapi.dll", "PathIsDirectoryA"},
    {"dbghelp.dll", "MakeSureDirectoryPathExists"},
    {"user32", "SendMessageA"},
    {"user32", "SendMessageA"},
    {"user32.dll", "SendMessageA"},
    {"kernel32.dll", "lstrcpyn"},
    {"kernel32.dll", "lstrcpyn"},
    {"shlwapi.dll", "PathRemoveBlanksA"},
}};

struct TypeInfo {
  const char* name;
  uint32_t id;
};
constexpr std::array<TypeInfo, 11> kTypes = {{
    {"kWindow", image::type_id::kWindow},
    {"kEditBox", image::type_id::kEditBox},
    {"kGroupBox", image::type_id::kGroupBox},
    {"kButton", image::type_id::kButton},
    {"kComboBox", image::type_id::kComboBox},
    {"kCommonDialog", image::type_id::kCommonDialog},
    {"kFieldList", image::type_id::kFieldList},
    {"kListView", image::type_id::kListView},
    {"kLabel", image::type_id::kLabel},
    {"kSpreadsheetApp", image::type_id::kSpreadsheetApp},
    {"kSpreadsheetBook", image::type_id::kSpreadsheetBook},
}};

const char* StubName(EntryPoint e) {
  switch (e) {
    case EntryPoint::kReportRuntimeError: return "kReportRuntimeError";
    case EntryPoint::kCallDllCommand: return "kCallDllCommand";
    case EntryPoint::kCallLibraryCommand: return "kCallLibraryCommand";
    case EntryPoint::kCallKernelCommand: return "kCallKernelCommand";
    case EntryPoint::kGetProperty: return "kGetProperty";
    case EntryPoint::kSetProperty: return "kSetProperty";
    case EntryPoint::kAllocateMemory: return "kAllocateMemory";
    case EntryPoint::kUnused28: return "kUnused28";
    case EntryPoint::kFreeMemory: return "kFreeMemory";
    case EntryPoint::kExitProgram: return "kExitProgram";
    case EntryPoint::kRunMessageLoop: return "kRunMessageLoop";
    case EntryPoint::kLoadStartWindow: return "kLoadStartWindow";
    case EntryPoint::kRegisterExitRoutine: return "kRegisterExitRoutine";
  }
  return "kUnknown";
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Const data with equal texts shared.
class ConstData {
 public:
  ConstData() {
    data_.assign(kEmptyBinaryOffset, '\0');
    const auto one = std::bit_cast<uint64_t>(1.0);
    for (int i = 0; i < 8; ++i) {
      data_[kOneOffset + static_cast<size_t>(i)] = static_cast<char>((one >> (8 * i)) & 0xFF);
    }
    PutU32(data_, kBinaryMarker);
    PutU32(data_, 0);
    texts_[""] = 0;
  }
  uint32_t AddText(const std::string& gbk) {
    if (auto it = texts_.find(gbk); it != texts_.end()) return it->second;
    const auto offset = static_cast<uint32_t>(data_.size());
    data_ += gbk;
    data_.push_back('\0');
    texts_[gbk] = offset;
    return offset;
  }
  uint32_t AddBinary(const std::string& bytes) {
    const auto offset = static_cast<uint32_t>(data_.size());
    PutU32(data_, kBinaryMarker);
    PutU32(data_, static_cast<uint32_t>(bytes.size()));
    data_ += bytes;
    return offset;
  }
  std::string Take() { return std::move(data_); }

 private:
  std::string data_;
  std::map<std::string, uint32_t> texts_;
};

// The code data: a run of 8-byte slots.
class LinkTable {
 public:
  uint32_t AddSlot(uint64_t value) {
    const auto offset = static_cast<uint32_t>(data_.size());
    for (int i = 0; i < 8; ++i) data_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return offset;
  }
  std::string Take() { return std::move(data_); }

 private:
  std::string data_;
};

}  // namespace

std::string ConstantName(std::string_view key) {
  std::string out = "k";
  bool upper = true;
  for (char c : key) {
    if (c == '_') {
      upper = true;
      continue;
    }
    out.push_back(upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    upper = false;
  }
  return out;
}

Result<BuiltImage> BuildImage(const AppSources& sources) {
  BuiltImage built;
  image::ImageModel& model = built.model;
  SymbolTable& sym = built.symbols;

  for (const LibraryInfo& l : kLibraries) {
    Result<std::string> description = text::Utf8ToGbk(l.description);
    if (!description.ok()) return description.status();
    model.libraries.push_back({l.name, l.identifier, l.major, l.minor, std::move(*description)});
  }
  for (const DllInfo& d : kDllCommands) model.dll_commands.push_back({d.library, d.function});

  // Routines: ImageEntry and ExitRoutine first, then in order of first binding.
  std::map<std::string, size_t> routine_index;
  const auto add_routine = [&](const std::string& name) {
    if (routine_index.emplace(name, sym.routines.size()).second) sym.routines.push_back(name);
  };
  add_routine(kImageEntryRoutine);
  add_routine(kExitRoutine);
  std::map<std::string, std::string> keys;  // window key -> file, to refuse duplicates
  for (const SourceWindow& w : sources.windows) {
    if (auto [it, fresh] = keys.emplace(w.key, w.file); !fresh) {
      return Status::InvalidArgument(w.file + ": window key \"" + w.key +
                                     "\" is already used by " + it->second);
    }
    for (const RoutineBinding& b : w.window.bindings) add_routine(b.routine);
    for (const SourceControl& c : w.controls) {
      for (const RoutineBinding& b : c.bindings) add_routine(b.routine);
    }
  }

  LinkTable code;
  std::vector<uint32_t> routine_slots;
  for (const std::string& name : sym.routines) {
    routine_slots.push_back(code.AddSlot(0));
    sym.routine.push_back({ConstantName(name), routine_slots.back()});
  }
  model.entry_code_offset = routine_slots[0];

  // Kind-1 slots: texts, the number 1.0, the binary values.
  ConstData consts;
  const auto const_slot = [&](uint32_t const_offset) {
    const uint32_t slot = code.AddSlot(const_offset);
    model.fixups[static_cast<size_t>(FixupKind::kConst)].push_back(slot);
    return slot;
  };
  for (const SourceText& t : sources.texts) {
    sym.text.push_back({ConstantName(t.key), const_slot(consts.AddText(t.gbk))});
  }
  sym.number.push_back({"kOne", const_slot(kOneOffset)});
  sym.binary.push_back({"kEmpty", const_slot(kEmptyBinaryOffset)});
  sym.binary.push_back({"kSkin", const_slot(consts.AddBinary(sources.skin))});

  for (uint32_t i = 0; i < image::kVarSlotCount; ++i) {
    const uint32_t slot = code.AddSlot(uint64_t{i} * image::kSlotSize);
    model.fixups[static_cast<size_t>(FixupKind::kVar)].push_back(slot);
    sym.var.push_back({"kSlot" + std::to_string(i), slot});
  }

  {
    const uint32_t slot = code.AddSlot(routine_slots[routine_index.at(kExitRoutine)]);
    model.fixups[static_cast<size_t>(FixupKind::kCode)].push_back(slot);
    sym.routine_ref.push_back({"kExitRoutine", slot});
  }

  // Id slots, group by group.
  const auto id_slot = [&](IdGroup group, uint32_t value) {
    const uint32_t slot = code.AddSlot(value);
    model.id_groups[static_cast<size_t>(group)].push_back(slot);
    return slot;
  };
  for (size_t i = 0; i < sources.windows.size(); ++i) {
    const auto window_id = static_cast<uint32_t>(i + 1);
    sym.window.push_back({ConstantName(sources.windows[i].key),
                          id_slot(IdGroup::kWindowsAndControls, window_id)});
  }
  for (size_t i = 0; i < sources.windows.size(); ++i) {
    const SourceWindow& w = sources.windows[i];
    const auto window_id = static_cast<uint32_t>(i + 1);
    std::vector<Symbol> controls;
    for (size_t c = 0; c < w.controls.size(); ++c) {
      const uint32_t id = window_id * kControlIdBase + static_cast<uint32_t>(c + 1);
      controls.push_back({w.controls[c].name_utf8, id_slot(IdGroup::kWindowsAndControls, id)});
    }
    sym.controls.emplace_back(w.key, std::move(controls));
  }
  for (uint32_t i = 0; i < kDllCommands.size(); ++i) {
    sym.dll.push_back({"kCommand" + std::to_string(i), id_slot(IdGroup::kDllCommands, i)});
  }
  sym.library.push_back({"kCtlpk", id_slot(IdGroup::kLibraries, 1)});
  sym.library.push_back({"kXlsbridge", id_slot(IdGroup::kLibraries, 2)});
  for (const TypeInfo& t : kTypes) sym.type.push_back({t.name, id_slot(IdGroup::kTypes, t.id)});

  for (EntryPoint e : image::kStubOrder) {
    const uint32_t slot = code.AddSlot(static_cast<uint32_t>(e));
    model.fixups[static_cast<size_t>(FixupKind::kEntryPoint)].push_back(slot);
    sym.stub.push_back({StubName(e), slot});
  }

  // Windows: the records with their ids and their bindings on routine slots.
  const auto bind = [&](const SourceControl& c, image::ControlForm& form) {
    form.bindings.clear();
    for (const RoutineBinding& b : c.bindings) {
      form.bindings.push_back({b.event, routine_slots[routine_index.at(b.routine)]});
    }
  };
  for (size_t i = 0; i < sources.windows.size(); ++i) {
    const SourceWindow& w = sources.windows[i];
    image::WindowForm form;
    form.id = static_cast<uint32_t>(i + 1);
    form.window = w.window.form;
    form.window.id = form.id;
    form.window.type = image::type_id::kWindow;
    bind(w.window, form.window);
    for (size_t c = 0; c < w.controls.size(); ++c) {
      image::ControlForm control = w.controls[c].form;
      control.id = form.id * kControlIdBase + static_cast<uint32_t>(c + 1);
      bind(w.controls[c], control);
      form.controls.push_back(std::move(control));
    }
    model.windows.push_back(std::move(form));
  }

  model.const_data = consts.Take();
  model.code_data = code.Take();
  return built;
}

}  // namespace pcshop::mkimage
