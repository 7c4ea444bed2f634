#pragma once
// The layout of the table of single-character pinyin readings, shared by its
// generator (tools/pinyintable, run at build time on ICU's transliterator)
// and its reader (pinyin_table.h).
//
// There is one slot for every two-byte GBK code: lead byte 0x81..0xFE, trail
// byte 0x40..0xFE. 0x7F is never a trail byte but keeps its slot, so that a
// slot's index is plain arithmetic. A slot holds one of:
//   kNoEntry             no reading in the table: the code is not a GBK
//                        character, or ICU could not read it; the reader asks
//                        ICU, which fails the same way;
//   kReadsAsItself       the reading is the character's own two bytes (a
//                        symbol without a reading);
//   kFirstReading + i    reading i of the pool.
// The pool holds the distinct readings (GBK bytes, in practice ASCII) end to
// end in kReadingBytes; reading i runs from kReadingStarts[i] to
// kReadingStarts[i + 1], so kReadingStarts has kReadingCount + 1 entries.

#include <cstddef>
#include <cstdint>

namespace pcshop::text::pinyin_table {

inline constexpr unsigned kLeadFirst = 0x81;
inline constexpr unsigned kLeadLast = 0xFE;
inline constexpr unsigned kTrailFirst = 0x40;
inline constexpr unsigned kTrailLast = 0xFE;
inline constexpr size_t kTrailsPerLead = kTrailLast - kTrailFirst + 1;
inline constexpr size_t kSlotCount = (kLeadLast - kLeadFirst + 1) * kTrailsPerLead;

inline constexpr uint16_t kNoEntry = 0;
inline constexpr uint16_t kReadsAsItself = 1;
inline constexpr uint16_t kFirstReading = 2;
// The most readings a slot can name.
inline constexpr size_t kMaxReadings = 0xFFFF - kFirstReading + 1;

// The slot of the code lead * 256 + trail, or kSlotCount when it has none.
constexpr size_t SlotOf(unsigned char lead, unsigned char trail) {
  if (lead < kLeadFirst || lead > kLeadLast || trail < kTrailFirst || trail > kTrailLast) {
    return kSlotCount;
  }
  return (lead - kLeadFirst) * kTrailsPerLead + (trail - kTrailFirst);
}

// Defined in the generated source; constant data, nothing runs at start-up.
extern const uint16_t kSlots[kSlotCount];
extern const uint32_t kReadingCount;
extern const uint32_t kReadingStarts[];
extern const char kReadingBytes[];

}  // namespace pcshop::text::pinyin_table
