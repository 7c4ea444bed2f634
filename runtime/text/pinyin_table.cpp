#include "runtime/text/pinyin_table.h"

#include "runtime/text/pinyin_table_format.h"

namespace pcshop::text {

std::optional<std::string_view> TableReading(std::string_view gbk) {
  namespace t = pinyin_table;
  if (gbk.size() != 2) return std::nullopt;
  const size_t slot =
      t::SlotOf(static_cast<unsigned char>(gbk[0]), static_cast<unsigned char>(gbk[1]));
  if (slot == t::kSlotCount) return std::nullopt;
  const uint16_t entry = t::kSlots[slot];
  if (entry == t::kNoEntry) return std::nullopt;
  if (entry == t::kReadsAsItself) return gbk;
  const uint32_t i = entry - t::kFirstReading;
  // The generator names only readings it wrote; a bad index is a build fault.
  if (i >= t::kReadingCount) return std::nullopt;
  const uint32_t start = t::kReadingStarts[i];
  return std::string_view(t::kReadingBytes + start, t::kReadingStarts[i + 1] - start);
}

}  // namespace pcshop::text
