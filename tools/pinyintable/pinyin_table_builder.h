#pragma once
// Builds the table of single-character pinyin readings (layout in
// runtime/text/pinyin_table_format.h) by reading every two-byte GBK code
// through ICU's transliterator, and writes it as a C++ source.

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "runtime/text/pinyin_transliteration.h"

namespace pcshop::pinyintable {

struct PinyinTable {
  std::vector<uint16_t> slots;        // kSlotCount entries
  std::vector<std::string> readings;  // the pool, in order of first use
};

[[nodiscard]] Result<PinyinTable> BuildPinyinTable(const text::PinyinTransliterator& icu);

// The generated source that defines the table's data.
std::string PinyinTableSource(const PinyinTable& table);

}  // namespace pcshop::pinyintable
