// Lays out a module image from an ImageModel (layout in image_format.h). The
// model is checked first where layout itself would hide a fault (a zero byte
// inside a text, a slot offset too large for a fixup word); the finished
// image is then read back, so that no image leaves the writer that the
// reader would refuse.

#include <limits>
#include <map>
#include <string_view>

#include "image/image_format.h"
#include "image/image_model.h"
#include "image/image_reader.h"

namespace pcshop::image {

namespace {

using namespace format;

Status Invalid(std::string_view message) {
  return Status::InvalidArgument("image model: " + std::string(message));
}

class Bytes {
 public:
  void U32(uint32_t v) {
    const size_t at = bytes_.size();
    bytes_.resize(at + 4);
    StoreLE32(bytes_.data() + at, v);
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Text(const std::string& s) {
    Append(s);
    bytes_.push_back(0);
  }
  void Append(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
  void Append(const std::vector<uint8_t>& b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  void Zeros(size_t n) { bytes_.resize(bytes_.size() + n, 0); }
  void Set32(size_t at, uint32_t v) { StoreLE32(bytes_.data() + at, v); }

  size_t size() const { return bytes_.size(); }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

Status CheckText(const std::string& text, const std::string& what) {
  if (text.find('\0') != std::string::npos) return Invalid(what + " holds a zero byte");
  return Status::Ok();
}

std::string RecordName(size_t w, size_t r) {
  return "record " + std::to_string(r + 1) + " of window " + std::to_string(w + 1);
}

Status WriteRecord(const ControlForm& c, const std::string& where, Bytes& out) {
  for (const std::string* text : {&c.name, &c.caption, &c.font_name}) {
    if (Status s = CheckText(*text, where); !s.ok()) return s;
  }
  Bytes rec;
  rec.U32(c.type);
  rec.Text(c.name);
  for (int32_t v : {c.left, c.top, c.width, c.height}) rec.I32(v);
  rec.U32((c.visible ? kRecordVisible : 0) | (c.enabled ? kRecordEnabled : 0));
  rec.U32(c.style);
  rec.Text(c.caption);
  rec.Text(c.font_name);
  rec.I32(c.font_size);
  rec.I32(c.input_limit);
  rec.I32(c.parent);
  rec.U32(static_cast<uint32_t>(c.items.size()));
  for (const std::string& item : c.items) {
    if (Status s = CheckText(item, "an item of " + where); !s.ok()) return s;
    rec.Text(item);
  }
  rec.U32(static_cast<uint32_t>(c.columns.size()));
  for (const ListColumn& col : c.columns) {
    if (Status s = CheckText(col.title, "a column of " + where); !s.ok()) return s;
    rec.Text(col.title);
    rec.I32(col.width);
    rec.I32(col.alignment);
  }
  rec.U32(static_cast<uint32_t>(c.rows.size()));
  for (const std::vector<std::string>& row : c.rows) {
    rec.U32(static_cast<uint32_t>(row.size()));
    for (const std::string& cell : row) {
      if (Status s = CheckText(cell, "a row of " + where); !s.ok()) return s;
      rec.Text(cell);
    }
  }
  rec.U32(static_cast<uint32_t>(c.bindings.size()));
  for (const EventBinding& b : c.bindings) {
    rec.I32(b.event);
    rec.U32(b.code_offset);
  }
  out.U32(static_cast<uint32_t>(rec.size()));
  out.Append(rec.bytes());
  return Status::Ok();
}

Result<std::vector<uint8_t>> BuildForm(const std::vector<WindowForm>& windows) {
  Bytes form;
  form.U32(static_cast<uint32_t>(windows.size() * kWindowTableEntrySize));
  for (const WindowForm& w : windows) form.U32(w.id);
  for (size_t i = 0; i < windows.size(); ++i) form.U32(0);
  for (size_t w = 0; w < windows.size(); ++w) {
    const WindowForm& window = windows[w];
    const size_t count = window.controls.size() + 1;
    Bytes records;
    std::vector<uint32_t> offsets;
    for (size_t r = 0; r < count; ++r) {
      offsets.push_back(static_cast<uint32_t>(records.size()));
      const ControlForm& c = r == 0 ? window.window : window.controls[r - 1];
      if (Status s = WriteRecord(c, RecordName(w, r), records); !s.ok()) return s;
    }
    for (uint32_t word : {kBlockStyle, window.id, 0u, 0u, static_cast<uint32_t>(count),
                          static_cast<uint32_t>(8 * count + records.size())}) {
      form.U32(word);
    }
    form.U32(window.window.id);
    for (const ControlForm& c : window.controls) form.U32(c.id);
    for (uint32_t offset : offsets) form.U32(offset);
    form.Append(records.bytes());
  }
  return std::move(form.bytes());
}

Result<std::string> BuildLibraryList(const std::vector<LibraryRecord>& libraries) {
  std::string list;
  for (size_t i = 0; i < libraries.size(); ++i) {
    const LibraryRecord& lib = libraries[i];
    const std::string* fields[] = {&lib.name, &lib.identifier, &lib.major, &lib.minor,
                                   &lib.description};
    for (const std::string* field : fields) {
      if (field->find_first_of(std::string_view("\r\0", 2)) != std::string::npos) {
        return Invalid("library " + std::to_string(i) + " has a field holding CR or a zero byte");
      }
      if (field != fields[0]) list += kFieldSeparator;
      list += *field;
    }
    list += '\0';
  }
  list += '\0';
  return list;
}

// Code offsets in the fixup list are shifted left by three bits; an offset
// outside the code could wrap onto a valid slot, so these are checked here.
Status CheckSlots(const std::vector<uint32_t>& offsets, size_t code_size, const std::string& what) {
  for (uint32_t offset : offsets) {
    if (offset % kSlotSize != 0 || uint64_t{offset} + kSlotSize > code_size) {
      return Invalid(what + " at code offset " + std::to_string(offset) +
                     " is not an 8-byte slot inside the code data (" + std::to_string(code_size) +
                     " bytes)");
    }
  }
  return Status::Ok();
}

struct SectionHeader {
  uint32_t list_count = 0;
  uint32_t memory_size = 0;
  uint32_t data_size = 0;
  uint32_t data_offset = kNotStored;
};

void WriteSectionHeader(Bytes& out, Section section, uint32_t next, const SectionHeader& h) {
  const size_t at = out.size();
  out.Zeros(kSectionHeaderSize);
  out.Set32(at + kSectionSizeField, kSectionHeaderSize + 4 * h.list_count);
  out.Set32(at + kSectionNextField, next);
  out.Set32(at + kSectionFlagsField, kSectionFlags[section]);
  const std::string_view name = kSectionNames[section];
  std::copy(name.begin(), name.end(), out.bytes().begin() + at + kSectionNameField);
  out.Set32(at + kSectionMemorySizeField, h.memory_size);
  out.Set32(at + kSectionDataSizeField, h.data_size);
  out.Set32(at + kSectionDataOffsetField, h.data_offset);
  out.Set32(at + kSectionListCountField, h.list_count);
}

}  // namespace

Result<std::vector<uint8_t>> WriteImage(const ImageModel& model) {
  const size_t code_size = model.code_data.size();
  for (uint32_t kind = 0; kind < 4; ++kind) {
    Status s = CheckSlots(model.fixups[kind], code_size, "kind-" + std::to_string(kind) + " fixup");
    if (!s.ok()) return s;
  }
  for (uint32_t g = 0; g < kIdGroupCount; ++g) {
    Status s = CheckSlots(model.id_groups[g], code_size, "id of group " + std::to_string(g));
    if (!s.ok()) return s;
  }
  if (Status s = CheckSlots({model.entry_code_offset}, code_size, "entry routine slot"); !s.ok()) {
    return s;
  }

  // The DLL-command names go after the model's const data; equal names share
  // one text.
  std::string const_data = model.const_data;
  std::map<std::string, uint32_t> name_offsets;
  std::vector<uint32_t> library_names, function_names;
  auto place = [&](const std::string& name, std::vector<uint32_t>& into) {
    auto [it, added] = name_offsets.try_emplace(name, static_cast<uint32_t>(const_data.size()));
    if (added) {
      const_data += name;
      const_data += '\0';
    }
    into.push_back(it->second);
  };
  for (size_t i = 0; i < model.dll_commands.size(); ++i) {
    const DllCommand& d = model.dll_commands[i];
    const std::string what = "DLL command " + std::to_string(i);
    if (Status s = CheckText(d.library, what); !s.ok()) return s;
    if (Status s = CheckText(d.function, what); !s.ok()) return s;
    place(d.library, library_names);
    place(d.function, function_names);
  }
  Result<std::string> libraries = BuildLibraryList(model.libraries);
  if (!libraries.ok()) return libraries.status();
  Result<std::vector<uint8_t>> form = BuildForm(model.windows);
  if (!form.ok()) return form.status();

  uint64_t fixup_count = 0;
  for (const auto& list : model.fixups) fixup_count += list.size();
  uint64_t reloc_size = 0;
  for (const auto& group : model.id_groups) reloc_size += 4 * (1 + uint64_t{group.size()});

  // Offsets of everything, in image order.
  const uint64_t n = model.dll_commands.size();
  const uint64_t const_header = LibraryListOffset(n) + libraries->size();
  const uint64_t const_at = const_header + kSectionHeaderSize;
  const uint64_t form_header = const_at + const_data.size();
  const uint64_t form_at = form_header + kSectionHeaderSize;
  const uint64_t help_header = form_at + form->size();
  const uint64_t help_at = help_header + kSectionHeaderSize;
  const uint64_t code_header_size = kSectionHeaderSize + 4 * fixup_count;
  uint64_t code_header = help_at + kHelpSize;
  code_header += (kCodeDataAlignment - (code_header + code_header_size) % kCodeDataAlignment) %
                 kCodeDataAlignment;
  const uint64_t code_at = code_header + code_header_size;
  const uint64_t var_header = code_at + code_size;
  const uint64_t reloc_header = var_header + kSectionHeaderSize;
  const uint64_t reloc_at = reloc_header + kSectionHeaderSize;
  const uint64_t total = reloc_at + reloc_size;
  if (total + model.entry_code_offset > std::numeric_limits<uint32_t>::max()) {
    return Invalid("the image would not fit 32-bit offsets (" + std::to_string(total) + " bytes)");
  }
  auto u32 = [](uint64_t v) { return static_cast<uint32_t>(v); };

  Bytes out;
  out.Zeros(kDllNamesOffset);
  out.Set32(kChainStartOffset, u32(const_header));
  out.Set32(kWord40Offset, kWord40Value);
  out.Set32(kLibraryCountOffset, u32(model.libraries.size()));
  out.Set32(kDllCountOffset, u32(n));
  out.Set32(kEntryOffsetOffset, u32(code_at + model.entry_code_offset));
  const uint64_t table[kSectionTableCount] = {const_header, form_header, help_header, code_header,
                                              var_header};
  for (uint32_t i = 0; i < kSectionTableCount; ++i) {
    out.Set32(kSectionTableOffset + 4 * i, u32(table[i]));
  }
  out.Set32(kConstHeaderAgainOffset, u32(const_header));
  for (uint32_t offset : library_names) out.U32(offset);
  for (uint32_t offset : function_names) out.U32(offset);
  out.Append(*libraries);

  const auto size = u32(const_data.size());
  WriteSectionHeader(out, kConst, u32(form_header), {0, size, size, u32(const_at)});
  out.Append(const_data);
  const auto form_size = u32(form->size());
  WriteSectionHeader(out, kForm, u32(help_header), {0, form_size, form_size, u32(form_at)});
  out.Append(*form);
  WriteSectionHeader(out, kHelp, u32(code_header), {0, kHelpSize, kHelpSize, u32(help_at)});
  out.Zeros(kHelpSize);
  out.Zeros(code_header - out.size());
  WriteSectionHeader(out, kCode, u32(var_header),
                     {u32(fixup_count), u32(code_size), u32(code_size), u32(code_at)});
  for (uint32_t kind = 0; kind < 4; ++kind) {
    for (uint32_t offset : model.fixups[kind]) {
      out.U32(MakeFixup(offset, static_cast<FixupKind>(kind)));
    }
  }
  out.Append(model.code_data);
  WriteSectionHeader(out, kVar, u32(reloc_header), {0, kVarAreaSize, 0, kNotStored});
  WriteSectionHeader(out, kReloc, kNoNextSection,
                     {0, u32(reloc_size), u32(reloc_size), u32(reloc_at)});
  for (const auto& group : model.id_groups) {
    out.U32(u32(group.size()));
    for (uint32_t offset : group) out.U32(offset);
  }

  // The reader only reads; nothing of the image changes here.
  Result<ImageView> check = ReadImage(out.bytes());
  if (!check.ok()) {
    std::string message = check.status().message();
    if (message.starts_with("image: ")) message.erase(0, 7);
    return Invalid(message);
  }
  return std::move(out.bytes());
}

}  // namespace pcshop::image
