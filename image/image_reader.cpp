#include "image/image_reader.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string_view>
#include <utility>

#include "image/image_format.h"

namespace pcshop::image {

namespace {

using namespace format;

template <typename... Parts>
std::string Cat(const Parts&... parts) {
  std::ostringstream out;
  (out << ... << parts);
  return out.str();
}

std::string Hex(uint32_t v) {
  std::ostringstream out;
  out << "0x" << std::hex << v;
  return out.str();
}

// A damaged name may hold any bytes; show it as printable ASCII.
std::string Printable(std::string_view s) {
  std::string out;
  for (char c : s) out += (c >= 0x20 && c < 0x7F) ? c : '?';
  return out;
}

// Reads little-endian words and zero-terminated texts from a byte range that
// starts at image offset `base`; a read that does not fit fails and moves
// nothing.
class Cursor {
 public:
  Cursor(std::span<const uint8_t> bytes, uint64_t base) : bytes_(bytes), base_(base) {}

  bool U32(uint32_t& v) {
    if (remaining() < 4) return false;
    v = LoadLE32(bytes_.data() + pos_);
    pos_ += 4;
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u = 0;
    if (!U32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool Text(std::string& s) {
    const auto* start = bytes_.data() + pos_;
    const auto* nul = static_cast<const uint8_t*>(std::memchr(start, 0, remaining()));
    if (nul == nullptr) return false;
    s.assign(reinterpret_cast<const char*>(start), static_cast<size_t>(nul - start));
    pos_ += s.size() + 1;
    return true;
  }
  bool Skip(uint64_t n) {
    if (n > remaining()) return false;
    pos_ += n;
    return true;
  }

  size_t remaining() const { return bytes_.size() - pos_; }
  size_t pos() const { return pos_; }
  uint64_t offset() const { return base_ + pos_; }

 private:
  std::span<const uint8_t> bytes_;
  uint64_t base_;
  size_t pos_ = 0;
};

struct RawSection {
  uint32_t header_offset = 0;
  uint32_t header_size = 0;
  uint32_t next = 0;
  uint32_t flags = 0;
  std::string name;
  uint32_t memory_size = 0;
  uint32_t data_size = 0;
  uint32_t data_offset = 0;
  uint32_t list_count = 0;
};

// A routine slot named by a binding, checked once every fixup is known.
struct SlotUse {
  uint32_t code_offset;
  std::string what;
};

class ImageReader {
 public:
  ImageReader(std::span<uint8_t> image, ReadFault* fault) : image_(image), fault_(fault) {
    view_.bytes = image;
  }

  Result<ImageView> Read() {
    using Step = Status (ImageReader::*)();
    static constexpr Step kSteps[] = {&ImageReader::ReadHeader,   &ImageReader::ReadLibraries,
                                      &ImageReader::ReadSections, &ImageReader::ReadDllCommands,
                                      &ImageReader::ReadFixups,   &ImageReader::ReadIdGroups,
                                      &ImageReader::ReadForms,    &ImageReader::CheckRoutineSlots};
    for (Step step : kSteps) {
      Status s = (this->*step)();
      if (!s.ok()) return s;
    }
    return std::move(view_);
  }

 private:
  // The checks run in order; each one relies on those before it.
  Status ReadHeader();
  Status ReadLibraries();
  Status ReadSections();
  Status ReadSectionHeader(uint32_t index, uint64_t at, RawSection& out);
  Status ReadDllCommands();
  Status ReadDllName(uint32_t index, const char* which, uint64_t at, std::string& out);
  Status ReadFixups();
  Status CheckFixupTarget(FixupKind kind, uint32_t code_offset);
  Status ReadIdGroups();
  Status ReadForms();
  Status ReadBlock(uint32_t w, Cursor& form, WindowForm& window);
  Status ReadRecord(uint32_t w, uint32_t r, Cursor& rec, uint32_t control_count, ControlForm& c);
  Status CheckRoutineSlots();

  // Slot checks: the 8 bytes at `code_offset` lie inside the code data.
  Status CheckSlot(const std::string& what, uint32_t code_offset, uint64_t at,
                   uint32_t line = __builtin_LINE());
  // ... and the slot is not patched by a fixup or an id group.
  Status CheckUnmarked(const SlotUse& use, uint32_t line = __builtin_LINE());
  Status MarkSlot(uint32_t code_offset, uint64_t at);

  uint64_t CodeBase() const { return sections_[kCode].data_offset; }
  uint32_t CodeSize() const { return sections_[kCode].data_size; }
  std::span<uint8_t> Data(const RawSection& s) const {
    return image_.subspan(s.data_offset, s.data_size);
  }

  // `line` is the checking line of this file (__builtin_LINE: the fuzz
  // build's clang lacks std::source_location).
  Status Corrupt(uint64_t at, std::string message, uint32_t line = __builtin_LINE()) {
    if (fault_ != nullptr) {
      fault_->image_offset = at;
      fault_->reader_line = line;
    }
    return Status::Corruption("image: " + std::move(message));
  }

  std::span<uint8_t> image_;
  ReadFault* fault_;
  ImageView view_;
  uint32_t library_count_ = 0;
  uint32_t dll_count_ = 0;
  std::array<uint32_t, kSectionTableCount> header_table_{};
  uint32_t const_again_ = 0;
  std::array<RawSection, kSectionCount> sections_;
  std::vector<uint8_t> marked_;  // one per code slot: patched by a fixup or id group
  std::vector<SlotUse> routine_slots_;
};

Status ImageReader::ReadHeader() {
  const uint64_t size = image_.size();
  if (size < kDllNamesOffset) {
    return Corrupt(
        0, Cat(size, " bytes are too few for the image header (", kDllNamesOffset, " bytes)"));
  }
  for (uint32_t i = 0; i < kReservedSize; ++i) {
    if (image_[i] != 0) return Corrupt(i, Cat("reserved header byte ", i, " is not zero"));
  }
  const uint8_t* p = image_.data();
  library_count_ = LoadLE32(p + kLibraryCountOffset);
  dll_count_ = LoadLE32(p + kDllCountOffset);
  view_.entry_offset = LoadLE32(p + kEntryOffsetOffset);
  for (uint32_t i = 0; i < kSectionTableCount; ++i) {
    header_table_[i] = LoadLE32(p + kSectionTableOffset + 4 * i);
  }
  const_again_ = LoadLE32(p + kConstHeaderAgainOffset);
  if (LibraryListOffset(dll_count_) > size) {
    return Corrupt(kDllCountOffset, Cat("DLL-command table of ", dll_count_,
                                        " entries runs past the image end (", size, " bytes)"));
  }
  return Status::Ok();
}

Status ImageReader::ReadLibraries() {
  const uint64_t start = LibraryListOffset(dll_count_);
  Cursor list(std::span<const uint8_t>(image_).subspan(start), start);
  for (;;) {
    const uint64_t at = list.offset();
    std::string record;
    if (!list.Text(record)) return Corrupt(at, "library list is not terminated inside the image");
    if (record.empty()) break;
    LibraryRecord lib;
    std::array<std::string*, kLibraryFieldCount> fields = {&lib.name, &lib.identifier, &lib.major,
                                                           &lib.minor, &lib.description};
    size_t field = 0;
    size_t from = 0;
    for (;;) {
      const size_t cr = record.find(kFieldSeparator, from);
      if (field < kLibraryFieldCount) {
        fields[field]->assign(record, from,
                              cr == std::string::npos ? std::string::npos : cr - from);
      }
      ++field;
      if (cr == std::string::npos) break;
      from = cr + 1;
    }
    if (field != kLibraryFieldCount) {
      return Corrupt(at, Cat("library record ", view_.libraries.size() + 1, " has ", field,
                             " fields, not ", kLibraryFieldCount));
    }
    view_.libraries.push_back(std::move(lib));
  }
  if (view_.libraries.size() != library_count_) {
    return Corrupt(kLibraryCountOffset, Cat("library list holds ", view_.libraries.size(),
                                            " records, the header says ", library_count_));
  }
  return Status::Ok();
}

Status ImageReader::ReadSectionHeader(uint32_t index, uint64_t at, RawSection& s) {
  const uint64_t size = image_.size();
  if (at + kSectionHeaderSize > size) {
    return Corrupt(
        at, Cat("section header at offset ", at, " lies past the image end (", size, " bytes)"));
  }
  const uint8_t* p = image_.data() + at;
  s.header_offset = static_cast<uint32_t>(at);
  s.header_size = LoadLE32(p + kSectionSizeField);
  s.next = LoadLE32(p + kSectionNextField);
  s.flags = LoadLE32(p + kSectionFlagsField);
  const auto* name = reinterpret_cast<const char*>(p + kSectionNameField);
  s.name.assign(name, strnlen(name, kSectionNameSize));
  s.memory_size = LoadLE32(p + kSectionMemorySizeField);
  s.data_size = LoadLE32(p + kSectionDataSizeField);
  s.data_offset = LoadLE32(p + kSectionDataOffsetField);
  s.list_count = LoadLE32(p + kSectionListCountField);

  const std::string_view expected = kSectionNames[index];
  if (s.name != expected) {
    const auto* it = std::find(kSectionNames.begin(), kSectionNames.end(), s.name);
    const auto found = static_cast<uint32_t>(it - kSectionNames.begin());
    if (it == kSectionNames.end()) {
      return Corrupt(at, Cat("section header at offset ", at, " is named \"", Printable(s.name),
                             "\", expected ", expected));
    }
    if (found > index) {
      return Corrupt(at, Cat("section chain skips section ", expected, " (offset ", at, " holds ",
                             s.name, ")"));
    }
    return Corrupt(at, Cat("section chain repeats section ", s.name, " at offset ", at));
  }
  if (s.list_count != 0 && index != kCode) {
    return Corrupt(at, Cat("section ", s.name, " has a list of ", s.list_count,
                           " entries; only the code section has one"));
  }
  const uint64_t header_size = kSectionHeaderSize + 4ull * s.list_count;
  if (s.header_size != header_size) {
    return Corrupt(at, Cat("section ", s.name, " header says ", s.header_size,
                           " bytes, its list makes it ", header_size));
  }
  if (at + header_size > size) {
    return Corrupt(at, Cat("header of section ", s.name, " (", header_size, " bytes at offset ", at,
                           ") runs past the image end (", size, " bytes)"));
  }
  if (s.data_offset == kNotStored) {
    if (s.data_size != 0) {
      return Corrupt(
          at, Cat("section ", s.name, " stores ", s.data_size, " bytes but has no data offset"));
    }
  } else if (uint64_t{s.data_offset} + s.data_size > size) {
    return Corrupt(at, Cat("data of section ", s.name, " (", s.data_size, " bytes at offset ",
                           s.data_offset, ") runs past the image end (", size, " bytes)"));
  }
  if (s.memory_size < s.data_size) {
    return Corrupt(at, Cat("section ", s.name, " stores ", s.data_size, " bytes in ", s.memory_size,
                           " bytes of memory"));
  }
  const bool stored = s.data_offset != kNotStored;
  if (index == kVar) {
    if (stored) return Corrupt(at, "var section has stored data");
    if (s.memory_size != kVarAreaSize) {
      return Corrupt(at, Cat("var section declares ", s.memory_size, " bytes; the var area holds ",
                             kVarAreaSize));
    }
  } else if (!stored) {
    return Corrupt(at, Cat("section ", s.name, " has no stored data"));
  }
  return Status::Ok();
}

Status ImageReader::ReadSections() {
  uint64_t at = LoadLE32(image_.data() + kChainStartOffset);
  for (uint32_t i = 0; i < kSectionCount; ++i) {
    if (i > 0) {
      const RawSection& prev = sections_[i - 1];
      if (prev.next == kNoNextSection) {
        return Corrupt(prev.header_offset, Cat("section chain ends after ", prev.name, "; ",
                                               kSectionNames[i], " is missing"));
      }
      at = prev.next;
      for (uint32_t j = 0; j < i; ++j) {
        if (sections_[j].header_offset == at) {
          return Corrupt(prev.header_offset, Cat("section chain loops back to offset ", at));
        }
      }
    }
    Status s = ReadSectionHeader(i, at, sections_[i]);
    if (!s.ok()) return s;
  }
  const RawSection& last = sections_[kReloc];
  if (last.next != kNoNextSection) {
    return Corrupt(last.header_offset, Cat("section chain goes on after ", last.name,
                                           " (next header at offset ", last.next, ")"));
  }
  for (uint32_t i = 0; i < kSectionTableCount; ++i) {
    if (header_table_[i] != sections_[i].header_offset) {
      return Corrupt(
          kSectionTableOffset + 4 * i,
          Cat("image header gives offset ", header_table_[i], " for the ", kSectionNames[i],
              " section header; the chain has it at ", sections_[i].header_offset));
    }
  }
  if (const_again_ != sections_[kConst].header_offset) {
    return Corrupt(kConstHeaderAgainOffset,
                   Cat("image header word at ", kConstHeaderAgainOffset, " gives ", const_again_,
                       "; the const section header is at ", sections_[kConst].header_offset));
  }
  if (CodeBase() % kSlotSize != 0) {
    return Corrupt(sections_[kCode].header_offset,
                   Cat("code data at offset ", CodeBase(), " is not 8-byte aligned"));
  }
  for (uint32_t i = 0; i < kSectionCount; ++i) {
    const RawSection& r = sections_[i];
    view_.sections[i] = {r.name,        r.header_offset, r.flags,
                         r.memory_size, r.data_size,     r.data_offset};
  }
  return Status::Ok();
}

Status ImageReader::ReadDllName(uint32_t index, const char* which, uint64_t at, std::string& out) {
  const RawSection& c = sections_[kConst];
  const uint32_t offset = LoadLE32(image_.data() + at);
  if (offset >= c.data_size) {
    return Corrupt(at, Cat(which, " name of DLL command ", index, " at const offset ", offset,
                           " lies outside the const data (", c.data_size, " bytes)"));
  }
  Cursor text(std::span<const uint8_t>(Data(c)).subspan(offset), c.data_offset + offset);
  if (!text.Text(out)) {
    return Corrupt(at, Cat(which, " name of DLL command ", index, " at const offset ", offset,
                           " is not terminated inside the const data"));
  }
  return Status::Ok();
}

Status ImageReader::ReadDllCommands() {
  for (uint32_t i = 0; i < dll_count_; ++i) {
    DllCommand command;
    Status s = ReadDllName(i, "library", kDllNamesOffset + 4ull * i, command.library);
    if (s.ok()) {
      s = ReadDllName(i, "function", DllFunctionNamesOffset(dll_count_) + 4ull * i,
                      command.function);
    }
    if (!s.ok()) return s;
    view_.dll_commands.push_back(std::move(command));
  }
  return Status::Ok();
}

Status ImageReader::CheckSlot(const std::string& what, uint32_t code_offset, uint64_t at,
                              uint32_t line) {
  if (code_offset % kSlotSize != 0) {
    return Corrupt(at, Cat(what, " at code offset ", code_offset, " is not on an 8-byte slot"),
                   line);
  }
  if (uint64_t{code_offset} + kSlotSize > CodeSize()) {
    return Corrupt(at,
                   Cat(what, " at code offset ", code_offset, " lies outside the code data (",
                       CodeSize(), " bytes)"),
                   line);
  }
  return Status::Ok();
}

Status ImageReader::MarkSlot(uint32_t code_offset, uint64_t at) {
  // A slot patched twice would hold a corrupted address.
  uint8_t& mark = marked_[code_offset / kSlotSize];
  if (mark != 0) {
    return Corrupt(
        at, Cat("code offset ", code_offset, " is listed twice among the fixups and id slots"));
  }
  mark = 1;
  return Status::Ok();
}

Status ImageReader::CheckUnmarked(const SlotUse& use, uint32_t line) {
  if (marked_[use.code_offset / kSlotSize] != 0) {
    return Corrupt(CodeBase() + use.code_offset,
                   Cat(use.what, " points at code offset ", use.code_offset,
                       ", which a fixup or id group patches"),
                   line);
  }
  return Status::Ok();
}

Status ImageReader::CheckFixupTarget(FixupKind kind, uint32_t code_offset) {
  const uint64_t at = CodeBase() + code_offset;
  const uint64_t value = LoadLE64(image_.data() + at);
  switch (kind) {
    case FixupKind::kEntryPoint:
      if (value % 4 != 0 || value >= 4ull * kEntryPointCount) {
        return Corrupt(at, Cat("entry-point fixup at code offset ", code_offset, " holds ", value,
                               "; entry offsets run 0, 4, ... ", 4 * (kEntryPointCount - 1)));
      }
      break;
    case FixupKind::kConst:
      if (value >= sections_[kConst].data_size) {
        return Corrupt(at,
                       Cat("const fixup at code offset ", code_offset, " holds ", value,
                           ", outside the const data (", sections_[kConst].data_size, " bytes)"));
      }
      break;
    case FixupKind::kVar:
      if (value % kSlotSize != 0 || value + kSlotSize > kVarAreaSize) {
        return Corrupt(at, Cat("var fixup at code offset ", code_offset, " holds ", value,
                               ", not a slot of the var area (", kVarAreaSize, " bytes)"));
      }
      break;
    case FixupKind::kCode:
      if (value % kSlotSize != 0 || value + kSlotSize > CodeSize()) {
        return Corrupt(at, Cat("code fixup at code offset ", code_offset, " holds ", value,
                               ", not a slot of the code data (", CodeSize(), " bytes)"));
      }
      routine_slots_.push_back(
          {static_cast<uint32_t>(value), Cat("code fixup at code offset ", code_offset)});
      break;
  }
  return Status::Ok();
}

Status ImageReader::ReadFixups() {
  const RawSection& code = sections_[kCode];
  marked_.assign(CodeSize() / kSlotSize + 1, 0);
  const uint64_t list = uint64_t{code.header_offset} + kSectionHeaderSize;
  std::array<bool, 4> seen{};
  std::array<uint32_t, 4> last{};
  for (uint32_t i = 0; i < code.list_count; ++i) {
    const uint64_t at = list + 4ull * i;
    const uint32_t word = LoadLE32(image_.data() + at);
    const uint32_t kind_value = word & kFixupKindMask;
    const uint32_t offset = word >> kFixupKindBits;
    if (kind_value > static_cast<uint32_t>(FixupKind::kCode)) {
      return Corrupt(at, Cat("fixup ", i + 1, " has kind ", kind_value, "; kinds run from 0 to 3"));
    }
    const auto kind = static_cast<FixupKind>(kind_value);
    Status s = CheckSlot("fixup", offset, at);
    if (!s.ok()) return s;
    if (kind != FixupKind::kConst && seen[kind_value] && offset <= last[kind_value]) {
      return Corrupt(
          at, Cat("kind-", kind_value, " fixups are not in ascending order (code offset ", offset,
                  " after ", last[kind_value], ")"));
    }
    seen[kind_value] = true;
    last[kind_value] = offset;
    if (s = MarkSlot(offset, at); !s.ok()) return s;
    if (s = CheckFixupTarget(kind, offset); !s.ok()) return s;
    view_.fixups[kind_value].push_back(offset);
  }
  return Status::Ok();
}

Status ImageReader::ReadIdGroups() {
  const RawSection& reloc = sections_[kReloc];
  // The counts govern: the last group may reach one word past the stored
  // size (images are written that way, with the memory size equal to the
  // stored size), but never past the image.
  const uint64_t end =
      std::min(uint64_t{reloc.data_offset} + reloc.data_size + 4, uint64_t{image_.size()});
  Cursor groups(
      std::span<const uint8_t>(image_).subspan(reloc.data_offset, end - reloc.data_offset),
      reloc.data_offset);
  for (uint32_t g = 0; g < kIdGroupCount; ++g) {
    uint32_t count = 0;
    const uint64_t at = groups.offset();
    if (!groups.U32(count) || uint64_t{count} * 4 > groups.remaining()) {
      return Corrupt(at, Cat("id group ", g, " runs past the @reloc1 section (", reloc.data_size,
                             " bytes stored, ", reloc.memory_size, " in memory, at offset ",
                             reloc.data_offset, ")"));
    }
    std::vector<uint32_t>& group = view_.id_groups[g];
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t entry_at = groups.offset();
      uint32_t offset = 0;
      (void)groups.U32(offset);  // the count check above makes room
      Status s = CheckSlot("id slot", offset, entry_at);
      if (!s.ok()) return s;
      if (!group.empty() && offset <= group.back()) {
        return Corrupt(entry_at, Cat("id group ", g, " is not in ascending order (code offset ",
                                     offset, " after ", group.back(), ")"));
      }
      if (s = MarkSlot(offset, entry_at); !s.ok()) return s;
      if (LoadLE32(image_.data() + CodeBase() + offset + 4) != 0) {
        return Corrupt(CodeBase() + offset + 4,
                       Cat("id slot at code offset ", offset, " has a non-zero high word"));
      }
      group.push_back(offset);
    }
  }
  return Status::Ok();
}

Status ImageReader::ReadForms() {
  const RawSection& form = sections_[kForm];
  Cursor cursor(Data(form), form.data_offset);
  uint32_t table_size = 0;
  if (!cursor.U32(table_size)) {
    return Corrupt(form.data_offset, "form section is too short for its window table size");
  }
  if (table_size % kWindowTableEntrySize != 0) {
    return Corrupt(form.data_offset,
                   Cat("window table size ", table_size, " is not a multiple of 8"));
  }
  if (table_size > cursor.remaining()) {
    return Corrupt(form.data_offset,
                   Cat("window table (", table_size, " bytes) runs past the form section's end"));
  }
  const uint32_t count = table_size / kWindowTableEntrySize;
  view_.windows.resize(count);
  for (WindowForm& w : view_.windows) (void)cursor.U32(w.id);
  (void)cursor.Skip(4ull * count);  // the further word per window
  for (uint32_t w = 0; w < count; ++w) {
    Status s = ReadBlock(w + 1, cursor, view_.windows[w]);
    if (!s.ok()) return s;
  }
  if (cursor.remaining() != 0) {
    return Corrupt(cursor.offset(),
                   Cat("form blocks end at ", cursor.offset(), ", section ends at ",
                       cursor.offset() + cursor.remaining()));
  }
  return Status::Ok();
}

Status ImageReader::ReadBlock(uint32_t w, Cursor& form, WindowForm& window) {
  const uint64_t start = form.offset();
  const uint64_t section_end = start + form.remaining();
  uint32_t header[kBlockHeaderWords] = {};
  for (uint32_t& word : header) {
    if (!form.U32(word)) {
      return Corrupt(start, Cat("form block of window ", w, " starts at ", start,
                                "; its header runs past the section's end at ", section_end));
    }
  }
  const uint32_t window_id = header[1];
  const uint32_t records = header[kBlockCountField / 4];
  const uint32_t block_size = header[kBlockSizeField / 4];
  if (window_id != window.id) {
    return Corrupt(start, Cat("form block of window ", w, " is for window id ", window_id,
                              "; the window table names ", window.id));
  }
  const uint64_t block_end = form.offset() + block_size;
  if (block_end > section_end) {
    return Corrupt(start, Cat("form block of window ", w, " ends at ", block_end,
                              ", section ends at ", section_end));
  }
  if (records == 0) return Corrupt(start, Cat("form block of window ", w, " has no records"));
  const uint64_t lists = 8ull * records;
  if (lists > block_size) {
    return Corrupt(start, Cat("form block of window ", w, " lists ", records,
                              " records in a block of ", block_size, " bytes"));
  }
  const uint64_t ids_at = form.offset();
  const uint64_t records_at = ids_at + lists;
  const uint64_t records_size = block_size - lists;
  window.controls.resize(records - 1);
  uint64_t expected = 0;  // records lie back to back from the first
  for (uint32_t r = 0; r < records; ++r) {
    ControlForm& c = r == 0 ? window.window : window.controls[r - 1];
    c.id = LoadLE32(image_.data() + ids_at + 4ull * r);
    const uint32_t offset = LoadLE32(image_.data() + ids_at + 4ull * records + 4ull * r);
    if (offset != expected) {
      return Corrupt(ids_at + 4ull * records + 4ull * r,
                     Cat("record ", r + 1, " of window ", w, " is at ", offset,
                         "; the record before it ends at ", expected));
    }
    const uint64_t record_at = records_at + offset;
    const uint64_t room = records_size - offset;
    const uint32_t size = room < 4 ? 0 : LoadLE32(image_.data() + record_at);
    if (room < 4 || room - 4 < size) {
      return Corrupt(record_at, Cat("record ", r + 1, " of window ", w,
                                    " runs past its block's end at ", block_end));
    }
    Cursor rec(image_.subspan(record_at + 4, size), record_at + 4);
    Status s = ReadRecord(w, r + 1, rec, records - 1, c);
    if (!s.ok()) return s;
    expected = uint64_t{offset} + 4 + size;
  }
  if (expected != records_size) {
    return Corrupt(records_at + expected,
                   Cat("form block of window ", w, " has ", records_size - expected,
                       " bytes after its last record"));
  }
  (void)form.Skip(block_size);
  return Status::Ok();
}

Status ImageReader::ReadRecord(uint32_t w, uint32_t r, Cursor& rec, uint32_t control_count,
                               ControlForm& c) {
  const std::string where = Cat("record ", r, " of window ", w);
  auto cut = [&](const char* field) {
    return Corrupt(rec.offset(), Cat(where, " ends inside its ", field));
  };
  uint32_t flags = 0;
  if (!rec.U32(c.type)) return cut("type");
  if (r == 1 && c.type != kWindowType) {
    return Corrupt(rec.offset(), Cat(where, " has type ", Hex(c.type), ", not the window type ",
                                     Hex(kWindowType)));
  }
  if (r > 1 && c.type == kWindowType)
    return Corrupt(rec.offset(), Cat(where, " has the window type"));
  if (!rec.Text(c.name)) return cut("name");
  if (!rec.I32(c.left) || !rec.I32(c.top) || !rec.I32(c.width) || !rec.I32(c.height)) {
    return cut("geometry");
  }
  if (!rec.U32(flags)) return cut("flags");
  if ((flags & ~(kRecordVisible | kRecordEnabled)) != 0) {
    return Corrupt(rec.offset(), Cat(where, " has unknown flags ", Hex(flags)));
  }
  c.visible = (flags & kRecordVisible) != 0;
  c.enabled = (flags & kRecordEnabled) != 0;
  if (!rec.U32(c.style)) return cut("style");
  if (!rec.Text(c.caption)) return cut("caption");
  if (!rec.Text(c.font_name)) return cut("font name");
  if (!rec.I32(c.font_size)) return cut("font size");
  if (!rec.I32(c.input_limit)) return cut("input limit");
  const uint64_t parent_at = rec.offset();
  if (!rec.I32(c.parent)) return cut("parent");
  // The window's controls are its records 2 and on; parent indexes them from 0.
  const int64_t own = static_cast<int64_t>(r) - 2;
  const bool own_or_window = r == 1 ? c.parent != -1 : c.parent == own;
  if (c.parent < -1 || c.parent >= static_cast<int64_t>(control_count) || own_or_window) {
    return Corrupt(parent_at, Cat(where, " names parent ", c.parent, "; the window has ",
                                  control_count, " controls"));
  }
  uint32_t n = 0;
  if (!rec.U32(n)) return cut("item count");
  for (uint32_t i = 0; i < n; ++i) {
    if (!rec.Text(c.items.emplace_back())) return cut("items");
  }
  if (!rec.U32(n)) return cut("column count");
  for (uint32_t i = 0; i < n; ++i) {
    ListColumn& col = c.columns.emplace_back();
    if (!rec.Text(col.title) || !rec.I32(col.width) || !rec.I32(col.alignment)) {
      return cut("columns");
    }
  }
  if (!rec.U32(n)) return cut("row count");
  for (uint32_t i = 0; i < n; ++i) {
    std::vector<std::string>& row = c.rows.emplace_back();
    uint32_t cells = 0;
    if (!rec.U32(cells)) return cut("rows");
    for (uint32_t j = 0; j < cells; ++j) {
      if (!rec.Text(row.emplace_back())) return cut("rows");
    }
  }
  if (!rec.U32(n)) return cut("binding count");
  for (uint32_t i = 0; i < n; ++i) {
    EventBinding& b = c.bindings.emplace_back();
    const uint64_t at = rec.offset();
    if (!rec.I32(b.event) || !rec.U32(b.code_offset)) return cut("bindings");
    const std::string what = Cat("binding of event ", b.event, " in ", where);
    Status s = CheckSlot(what, b.code_offset, at);
    if (!s.ok()) return s;
    routine_slots_.push_back({b.code_offset, what});
  }
  if (rec.remaining() != 0) {
    return Corrupt(rec.offset(),
                   Cat(where, " has ", rec.remaining(), " bytes after its last field"));
  }
  return Status::Ok();
}

Status ImageReader::CheckRoutineSlots() {
  const uint64_t entry = view_.entry_offset;
  if (entry < CodeBase() || entry >= CodeBase() + CodeSize()) {
    return Corrupt(kEntryOffsetOffset,
                   Cat("entry offset ", entry, " lies outside the code data (offsets ", CodeBase(),
                       " to ", CodeBase() + CodeSize(), ")"));
  }
  const auto entry_code = static_cast<uint32_t>(entry - CodeBase());
  Status s = CheckSlot("entry routine slot", entry_code, kEntryOffsetOffset);
  if (!s.ok()) return s;
  routine_slots_.push_back({entry_code, "entry offset"});
  for (const SlotUse& use : routine_slots_) {
    if (s = CheckUnmarked(use); !s.ok()) return s;
  }
  return Status::Ok();
}

}  // namespace

Result<ImageView> ReadImage(std::span<uint8_t> image) {
  return ReadImage(image, nullptr);
}

Result<ImageView> ReadImage(std::span<uint8_t> image, ReadFault* fault) {
  return ImageReader(image, fault).Read();
}

Result<std::span<uint8_t>> FindEmbeddedImage(std::span<uint8_t> file) {
  const std::string_view bytes(reinterpret_cast<const char*>(file.data()), file.size());
  std::string problem;
  for (size_t at = bytes.find(kEmbeddedMarker); at != std::string_view::npos;
       at = bytes.find(kEmbeddedMarker, at + 1)) {
    // The marker text may also occur elsewhere in a program; only a marker
    // followed by a fitting size and the zero padding counts.
    if (file.size() - at < kEmbeddedHeaderSize) {
      if (problem.empty()) problem = Cat("image marker at offset ", at, " is cut off");
      continue;
    }
    const uint32_t size = LoadLE32(file.data() + at + kEmbeddedMarker.size());
    const auto pad = file.subspan(at + kEmbeddedMarker.size() + 4,
                                  kEmbeddedHeaderSize - kEmbeddedMarker.size() - 4);
    const bool zero_pad = std::all_of(pad.begin(), pad.end(), [](uint8_t b) { return b == 0; });
    const uint64_t room = file.size() - at - kEmbeddedHeaderSize;
    if (zero_pad && size <= room) return file.subspan(at + kEmbeddedHeaderSize, size);
    if (problem.empty()) {
      problem =
          Cat("image marker at offset ", at, " declares ", size, " bytes, ", room, " follow it");
    }
  }
  if (problem.empty()) return Status::NotFound("image: no embedded image marker in the file");
  return Status::Corruption("image: " + problem);
}

}  // namespace pcshop::image
