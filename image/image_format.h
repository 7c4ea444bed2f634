#pragma once
// The byte layout of a module image, written down once for the reader, the
// writer, the dumper and the tests. All integers are 32-bit little-endian;
// offsets count from the image's first byte unless a field says otherwise.
//
//   header:   36 zero bytes | u32 first section header | u32 1 | u32 library
//             count L | u32 0 | u32 0 | u32 DLL count N | u32 entry offset
//             (image offset of ImageEntry's routine slot) | u32 section header
//             offsets const, form, help, code, var | u32 const header again |
//             u32 library name[N] | u32 function name[N] (const-data offsets)
//   libraries: L records "name\rid\rmajor\rminor\rdescription\0", then "\0"
//   sections: a chain of 56-byte headers const, form, help, code, var,
//             @reloc1; the code header is followed by its fixup list
//             (u32 (code offset << 3) | kind, see link_table.h)
//   @reloc1:  four id groups, each u32 count | u32 code offset[count]; the
//             counts govern, so the last word may lie just past the stored
//             size (but inside the section's memory size and the image)
//
// Form section:
//   u32 window table size T (8 per window) | u32 window id[T/8] |
//   u32 0[T/8] | one block per window, back to back up to the section's end
//   block:  u32 style | u32 window id | u32 0 | u32 0 | u32 record count C |
//           u32 B = 8C + record bytes | u32 control id[C] |
//           u32 record offset[C] (from the first record) | records
//   record: u32 size (not counting itself) | u32 type | name\0 |
//           i32 left, top, width, height | u32 flags (1 visible, 2 enabled) |
//           u32 style | caption\0 | font name\0 | i32 font size |
//           i32 input limit | i32 parent | u32 item count | item\0... |
//           u32 column count | (title\0 | i32 width | i32 alignment)... |
//           u32 row count | (u32 cell count | cell\0...)... |
//           u32 binding count | (i32 event | u32 code offset)...
//   The first record of a block is the window's own (type kWindowType); the
//   record's fields end exactly at its end. Texts are GBK.

#include <array>
#include <cstdint>
#include <string_view>

namespace pcshop::image::format {

inline uint32_t LoadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t LoadLE64(const uint8_t* p) {
  return LoadLE32(p) | static_cast<uint64_t>(LoadLE32(p + 4)) << 32;
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Image header.
inline constexpr uint32_t kReservedSize = 36;
inline constexpr uint32_t kChainStartOffset = 36;
inline constexpr uint32_t kWord40Offset = 40;
inline constexpr uint32_t kWord40Value = 1;
inline constexpr uint32_t kLibraryCountOffset = 44;
inline constexpr uint32_t kWord48Offset = 48;
inline constexpr uint32_t kWord52Offset = 52;
inline constexpr uint32_t kDllCountOffset = 56;
inline constexpr uint32_t kEntryOffsetOffset = 60;
inline constexpr uint32_t kSectionTableOffset = 64;  // five header offsets
inline constexpr uint32_t kSectionTableCount = 5;    // all but @reloc1
inline constexpr uint32_t kConstHeaderAgainOffset = 84;
inline constexpr uint32_t kDllNamesOffset = 88;
constexpr uint64_t DllFunctionNamesOffset(uint64_t dll_count) {
  return kDllNamesOffset + 4 * dll_count;
}
constexpr uint64_t LibraryListOffset(uint64_t dll_count) {
  return kDllNamesOffset + 8 * dll_count;
}

// Library list.
inline constexpr char kFieldSeparator = '\r';
inline constexpr uint32_t kLibraryFieldCount = 5;

// Section headers.
inline constexpr uint32_t kSectionHeaderSize = 56;
inline constexpr uint32_t kSectionSizeField = 0;
inline constexpr uint32_t kSectionNextField = 4;
inline constexpr uint32_t kSectionFlagsField = 8;
inline constexpr uint32_t kSectionNameField = 12;
inline constexpr uint32_t kSectionNameSize = 20;
inline constexpr uint32_t kSectionMemorySizeField = 36;
inline constexpr uint32_t kSectionDataSizeField = 40;
inline constexpr uint32_t kSectionDataOffsetField = 44;
inline constexpr uint32_t kSectionListCountField = 48;
inline constexpr uint32_t kNoNextSection = 0xFFFFFFFF;
inline constexpr uint32_t kNotStored = 0xFFFFFFFF;

enum Section : uint32_t { kConst = 0, kForm = 1, kHelp = 2, kCode = 3, kVar = 4, kReloc = 5 };
inline constexpr uint32_t kSectionCount = 6;
inline constexpr std::array<std::string_view, kSectionCount> kSectionNames = {
    "const", "form", "help", "code", "var", "@reloc1"};
inline constexpr std::array<uint32_t, kSectionCount> kSectionFlags = {1, 1, 1, 5, 0x13, 1};
// The help section is stored but holds only zeros.
inline constexpr uint32_t kHelpSize = 56;

// Form section.
inline constexpr uint32_t kWindowTableEntrySize = 8;  // id and one further word
inline constexpr uint32_t kBlockHeaderWords = 6;
inline constexpr uint32_t kBlockHeaderSize = kBlockHeaderWords * 4;
inline constexpr uint32_t kBlockCountField = 16;
inline constexpr uint32_t kBlockSizeField = 20;
inline constexpr uint32_t kBlockStyle = 0;
inline constexpr uint32_t kWindowType = 0x10001;
inline constexpr uint32_t kRecordVisible = 1;
inline constexpr uint32_t kRecordEnabled = 2;

// An image embedded in an executable: marker, u32 image size, 12 zero bytes,
// then the image, which thus starts 32 bytes after a 16-aligned marker.
inline constexpr std::string_view kEmbeddedMarker{"PCSHOP-IMAGE-V1\0", 16};
inline constexpr uint32_t kEmbeddedHeaderSize = 32;

// The writer starts the code data on this boundary, so that its 8-byte slots
// are aligned wherever the image is; the reader requires 8.
inline constexpr uint32_t kCodeDataAlignment = 16;

}  // namespace pcshop::image::format
