// Damaged images are refused with one message naming what is wrong, and
// models that would give a bad image are refused by the writer.

#include <gtest/gtest.h>

#include <string>

#include "image/image_format.h"
#include "image/image_reader.h"
#include "image_test_model.h"

namespace pcshop::image {
namespace {

using namespace testing;
using namespace format;
using std::to_string;

std::string ReadError(std::vector<uint8_t> image) {
  Result<ImageView> view = ReadImage(image);
  if (view.ok()) return "accepted";
  EXPECT_EQ(view.status().code(), Status::Code::kCorruption);
  return view.status().message();
}

std::string WriteError(const ImageModel& model) {
  Result<std::vector<uint8_t>> image = WriteImage(model);
  if (image.ok()) return "accepted";
  EXPECT_EQ(image.status().code(), Status::Code::kInvalidArgument);
  return image.status().message();
}

class ImageDamageTest : public ::testing::Test {
 protected:
  std::vector<uint8_t> image_ = Write(SmallModel());
  ImageFields fields_{image_};
  const uint32_t code_size_ = fields_.SectionDataSize(kCode);
  const uint32_t const_size_ = fields_.SectionDataSize(kConst);

  std::vector<uint8_t> With(uint64_t at, uint32_t value) const {
    std::vector<uint8_t> damaged = image_;
    Set32(damaged, at, value);
    return damaged;
  }
  std::vector<uint8_t> CutTo(uint64_t size) const {
    return {image_.begin(), image_.begin() + static_cast<long>(size)};
  }
};

TEST_F(ImageDamageTest, TruncatedImagesNameWhatRunsPastTheEnd) {
  const uint64_t libraries = LibraryListOffset(3);
  const uint64_t const_header = fields_.SectionHeader(kConst);
  const uint64_t form_at = fields_.SectionData(kForm);
  const uint32_t form_size = fields_.SectionDataSize(kForm);
  const uint64_t reloc_at = fields_.SectionData(kReloc);
  EXPECT_EQ(ReadError(CutTo(40)), "image: 40 bytes are too few for the image header (88 bytes)");
  EXPECT_EQ(ReadError(CutTo(100)),
            "image: DLL-command table of 3 entries runs past the image end (100 bytes)");
  EXPECT_EQ(ReadError(CutTo(libraries + 20)),
            "image: library list is not terminated inside the image");
  EXPECT_EQ(ReadError(CutTo(const_header + 30)),
            "image: section header at offset " + to_string(const_header) +
                " lies past the image end (" + to_string(const_header + 30) + " bytes)");
  EXPECT_EQ(ReadError(CutTo(form_at + 10)), "image: data of section form (" + to_string(form_size) +
                                                " bytes at offset " + to_string(form_at) +
                                                ") runs past the image end (" +
                                                to_string(form_at + 10) + " bytes)");
  EXPECT_EQ(ReadError(CutTo(image_.size() - 1)),
            "image: data of section @reloc1 (36 bytes at offset " + to_string(reloc_at) +
                ") runs past the image end (" + to_string(image_.size() - 1) + " bytes)");
}

TEST_F(ImageDamageTest, OffsetsPastTheEndAreRefused) {
  const std::string end = to_string(image_.size());
  EXPECT_EQ(
      ReadError(With(kChainStartOffset, 0xFFFFFF00)),
      "image: section header at offset 4294967040 lies past the image end (" + end + " bytes)");
  EXPECT_EQ(ReadError(With(fields_.SectionField(kCode, kSectionDataOffsetField),
                           static_cast<uint32_t>(image_.size() - 8))),
            "image: data of section code (" + to_string(code_size_) + " bytes at offset " +
                to_string(image_.size() - 8) + ") runs past the image end (" + end + " bytes)");
  EXPECT_EQ(ReadError(With(fields_.SectionField(kConst, kSectionDataSizeField), 0x7FFFFFFF)),
            "image: data of section const (2147483647 bytes at offset " +
                to_string(fields_.SectionData(kConst)) + ") runs past the image end (" + end +
                " bytes)");
}

TEST_F(ImageDamageTest, SectionChainMustVisitEachSectionOnceInOrder) {
  const uint64_t const_header = fields_.SectionHeader(kConst);
  const uint64_t help_header = fields_.SectionHeader(kHelp);
  EXPECT_EQ(ReadError(With(fields_.SectionField(kForm, kSectionNextField),
                           static_cast<uint32_t>(const_header))),
            "image: section chain loops back to offset " + to_string(const_header));
  EXPECT_EQ(
      ReadError(With(fields_.SectionField(kConst, kSectionNextField),
                     static_cast<uint32_t>(help_header))),
      "image: section chain skips section form (offset " + to_string(help_header) + " holds help)");
  EXPECT_EQ(ReadError(With(fields_.SectionField(kVar, kSectionNextField), kNoNextSection)),
            "image: section chain ends after var; @reloc1 is missing");
  EXPECT_EQ(ReadError(With(fields_.SectionField(kReloc, kSectionNextField),
                           static_cast<uint32_t>(const_header))),
            "image: section chain goes on after @reloc1 (next header at offset " +
                to_string(const_header) + ")");
  // The header's own table of section header offsets must agree with the chain.
  EXPECT_EQ(ReadError(With(kSectionTableOffset + 4, 12345)),
            "image: image header gives offset 12345 for the form section header; the chain has "
            "it at " +
                to_string(fields_.SectionHeader(kForm)));
}

TEST_F(ImageDamageTest, SectionHeadersMustAgreeWithTheirContent) {
  std::vector<uint8_t> renamed = image_;
  renamed[fields_.SectionField(kHelp, kSectionNameField)] = 'c';  // "celp"
  EXPECT_EQ(ReadError(renamed), "image: section header at offset " +
                                    to_string(fields_.SectionHeader(kHelp)) +
                                    " is named \"celp\", expected help");
  EXPECT_EQ(ReadError(With(fields_.SectionField(kVar, kSectionMemorySizeField), 4096)),
            "image: var section declares 4096 bytes; the var area holds 72");
  EXPECT_EQ(ReadError(With(fields_.SectionField(kCode, kSectionListCountField), 15)),
            "image: section code header says 120 bytes, its list makes it 116");
  EXPECT_EQ(ReadError(With(kLibraryCountOffset, 4)),
            "image: library list holds 3 records, the header says 4");
}

TEST_F(ImageDamageTest, FormBlocksMustEndExactlyAtTheSectionsEnd) {
  const uint64_t form_end = fields_.SectionData(kForm) + fields_.SectionDataSize(kForm);
  const uint64_t last_size = fields_.BlockField(1, kBlockSizeField);
  EXPECT_EQ(ReadError(With(last_size, Get32(image_, last_size) + 4)),
            "image: form block of window 2 ends at " + to_string(form_end + 4) +
                ", section ends at " + to_string(form_end));

  std::vector<uint8_t> longer = image_;
  Set32(longer, fields_.SectionField(kForm, kSectionDataSizeField),
        fields_.SectionDataSize(kForm) + 4);
  Set32(longer, fields_.SectionField(kForm, kSectionMemorySizeField),
        fields_.SectionDataSize(kForm) + 4);
  EXPECT_EQ(ReadError(longer), "image: form blocks end at " + to_string(form_end) +
                                   ", section ends at " + to_string(form_end + 4));

  const uint64_t first_size = fields_.BlockField(0, kBlockSizeField);
  EXPECT_EQ(ReadError(With(first_size, Get32(image_, first_size) - 1)),
            "image: record 8 of window 1 runs past its block's end at " +
                to_string(fields_.BlockHeader(1) - 1));
}

TEST_F(ImageDamageTest, WindowTableMustMatchTheBlocks) {
  const uint64_t table = fields_.SectionData(kForm);
  EXPECT_EQ(ReadError(With(table, 20)), "image: window table size 20 is not a multiple of 8");
  // Three windows listed where two are stored: the blocks no longer line up.
  EXPECT_EQ(ReadError(With(table, 24)),
            "image: form block of window 1 is for window id 0; the window table names 1");
  EXPECT_EQ(ReadError(With(table + 4, 9)),
            "image: form block of window 1 is for window id 1; the window table names 9");
}

TEST_F(ImageDamageTest, RecordsMustHoldTheirFields) {
  const uint64_t first_record = fields_.BlockHeader(0) + kBlockHeaderSize + 8 * 8;
  EXPECT_EQ(ReadError(With(first_record + 4, 0x1000B)),
            "image: record 1 of window 1 has type 0x1000b, not the window type 0x10001");
  // Type, the name "配置单" and half the geometry.
  EXPECT_EQ(ReadError(With(first_record, 4 + 7 + 8)),
            "image: record 1 of window 1 ends inside its geometry");
}

TEST_F(ImageDamageTest, FixupsMustPatchSlotsInsideTheCode) {
  const std::string code = to_string(code_size_);
  EXPECT_EQ(ReadError(With(fields_.FixupWord(0), MakeFixup(9000, FixupKind::kEntryPoint))),
            "image: fixup at code offset 9000 lies outside the code data (" + code + " bytes)");
  EXPECT_EQ(ReadError(With(fields_.FixupWord(0), MakeFixup(13, FixupKind::kEntryPoint))),
            "image: fixup at code offset 13 is not on an 8-byte slot");
  EXPECT_EQ(ReadError(With(fields_.FixupWord(0), (96u << 3) | 5)),
            "image: fixup 1 has kind 5; kinds run from 0 to 3");
  EXPECT_EQ(ReadError(With(fields_.FixupWord(1), MakeFixup(88, FixupKind::kEntryPoint))),
            "image: kind-0 fixups are not in ascending order (code offset 88 after 96)");
  // Kind 1 may come in any order, but no slot may be patched twice.
  EXPECT_EQ(ReadError(With(fields_.FixupWord(13), MakeFixup(32, FixupKind::kConst))),
            "image: code offset 32 is listed twice among the fixups and id slots");
  EXPECT_EQ(ReadError(With(fields_.FixupWord(13), MakeFixup(56, FixupKind::kConst))),
            "image: code offset 56 is listed twice among the fixups and id slots");
}

TEST_F(ImageDamageTest, FixedSlotsMustHoldOffsetsInsideTheirTarget) {
  const uint64_t code = fields_.SectionData(kCode);
  EXPECT_EQ(ReadError(With(code + 24, 9999)),
            "image: const fixup at code offset 24 holds 9999, outside the const data (" +
                to_string(const_size_) + " bytes)");
  EXPECT_EQ(ReadError(With(code + 40, 72)),
            "image: var fixup at code offset 40 holds 72, not a slot of the var area (72 bytes)");
  EXPECT_EQ(ReadError(With(code + 48, 12)),
            "image: code fixup at code offset 48 holds 12, not a slot of the code data (" +
                to_string(code_size_) + " bytes)");
  EXPECT_EQ(ReadError(With(code + kFirstStubSlot, 52)),
            "image: entry-point fixup at code offset 96 holds 52; entry offsets run 0, 4, ... 48");
  // A routine reference to a slot that a fixup patches would be corrupted.
  EXPECT_EQ(ReadError(With(code + 48, 24)),
            "image: code fixup at code offset 48 points at code offset 24, which a fixup or id "
            "group patches");
}

TEST_F(ImageDamageTest, IdGroupCountsMustStayInsideTheImage) {
  const uint64_t reloc = fields_.SectionData(kReloc);
  const std::string where = "36 bytes stored, 36 in memory, at offset " + to_string(reloc) + ")";
  EXPECT_EQ(ReadError(With(reloc + 28, 2)),
            "image: id group 3 runs past the @reloc1 section (" + where);
  EXPECT_EQ(ReadError(With(reloc, 0x40000000)),
            "image: id group 0 runs past the @reloc1 section (" + where);
  EXPECT_EQ(ReadError(With(reloc + 4, 64)),
            "image: id group 0 is not in ascending order (code offset 64 after 64)");
  EXPECT_EQ(ReadError(With(reloc + 16, 4096)),
            "image: id slot at code offset 4096 lies outside the code data (" +
                to_string(code_size_) + " bytes)");
  EXPECT_EQ(ReadError(With(fields_.SectionData(kCode) + 60, 1)),
            "image: id slot at code offset 56 has a non-zero high word");
}

TEST_F(ImageDamageTest, LastIdInTheWordAfterTheStoredRelocDataIsAccepted) {
  const uint64_t size_field = fields_.SectionField(kReloc, kSectionDataSizeField);
  std::vector<uint8_t> image = With(size_field, 32);
  Result<ImageView> view = ReadImage(image);
  ASSERT_TRUE(view.ok()) << view.status().message();
  EXPECT_EQ(view->id_groups[3], std::vector<uint32_t>{88});

  // Also when the memory size equals the stored size, as images are written.
  std::vector<uint8_t> same = image;
  Set32(same, fields_.SectionField(kReloc, kSectionMemorySizeField), 32);
  view = ReadImage(same);
  ASSERT_TRUE(view.ok()) << view.status().message();
  EXPECT_EQ(view->id_groups[3], std::vector<uint32_t>{88});

  // The counts never reach past the image's end.
  const std::string reloc = to_string(fields_.SectionData(kReloc));
  image.resize(image.size() - 4);
  EXPECT_EQ(ReadError(image),
            "image: id group 3 runs past the @reloc1 section (32 bytes stored, "
            "36 in memory, at offset " +
                reloc + ")");
}

TEST_F(ImageDamageTest, DllNamesMustLieInsideTheConstData) {
  EXPECT_EQ(ReadError(With(kDllNamesOffset + 4, const_size_)),
            "image: library name of DLL command 1 at const offset " + to_string(const_size_) +
                " lies outside the const data (" + to_string(const_size_) + " bytes)");
  // One byte less of const data cuts off the last name's terminator.
  std::vector<uint8_t> shorter =
      With(fields_.SectionField(kConst, kSectionDataSizeField), const_size_ - 1);
  EXPECT_EQ(ReadError(shorter), "image: function name of DLL command 2 at const offset " +
                                    to_string(const_size_ - 9) +
                                    " is not terminated inside the const data");
}

TEST_F(ImageDamageTest, EntryOffsetMustNameARoutineSlot) {
  const uint64_t code = fields_.SectionData(kCode);
  EXPECT_EQ(ReadError(With(kEntryOffsetOffset, 0)),
            "image: entry offset 0 lies outside the code data (offsets " + to_string(code) +
                " to " + to_string(code + code_size_) + ")");
  EXPECT_EQ(ReadError(With(kEntryOffsetOffset, static_cast<uint32_t>(code + 4))),
            "image: entry routine slot at code offset 4 is not on an 8-byte slot");
}

TEST_F(ImageDamageTest, FaultRecordsWhereTheDamageWasCaught) {
  const uint64_t form_next = fields_.SectionField(kForm, kSectionNextField);
  std::vector<uint8_t> looped =
      With(form_next, static_cast<uint32_t>(fields_.SectionHeader(kConst)));
  ReadFault fault;
  EXPECT_FALSE(ReadImage(looped, &fault).ok());
  EXPECT_EQ(fault.image_offset, fields_.SectionHeader(kForm));
  EXPECT_GT(fault.reader_line, 0u);
}

TEST(ImageWriterTest, RefusesModelsThatWouldGiveABadImage) {
  ImageModel m = SmallModel();
  m.fixups[1].push_back(12);
  EXPECT_EQ(WriteError(m),
            "image model: kind-1 fixup at code offset 12 is not an 8-byte slot inside the code "
            "data (192 bytes)");

  m = SmallModel();
  m.id_groups[0] = {64, 56};
  EXPECT_EQ(WriteError(m),
            "image model: id group 0 is not in ascending order (code offset 56 after 64)");

  m = SmallModel();
  m.windows[0].controls[2].bindings[0].code_offset = 4000;
  EXPECT_EQ(WriteError(m),
            "image model: binding of event 0 in record 4 of window 1 at code offset 4000 lies "
            "outside the code data (192 bytes)");

  m = SmallModel();
  m.windows[1].window.bindings = {{0, 24}};
  EXPECT_EQ(WriteError(m),
            "image model: binding of event 0 in record 1 of window 2 points at code offset 24, "
            "which a fixup or id group patches");

  m = SmallModel();
  m.windows[0].controls[3].items[1] = std::string("a\0b", 3);
  EXPECT_EQ(WriteError(m), "image model: an item of record 5 of window 1 holds a zero byte");

  m = SmallModel();
  m.libraries[1].description = "two\rlines";
  EXPECT_EQ(WriteError(m), "image model: library 1 has a field holding CR or a zero byte");

  m = SmallModel();
  m.windows[0].controls[0].parent = 7;
  EXPECT_EQ(WriteError(m),
            "image model: record 2 of window 1 names parent 7; the window has 7 "
            "controls");

  m = SmallModel();
  m.entry_code_offset = 192;
  EXPECT_EQ(WriteError(m),
            "image model: entry routine slot at code offset 192 is not an 8-byte "
            "slot inside the code data (192 bytes)");
}

}  // namespace
}  // namespace pcshop::image
