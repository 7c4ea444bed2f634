#pragma once
// The reader of the generated table of single-character pinyin readings (see
// pinyin_table_format.h). It answers for a text of one two-byte character
// without ICU: the readings are ICU's own, taken at build time.

#include <optional>
#include <string_view>

namespace pcshop::text {

// The reading of `gbk` when it is exactly one two-byte GBK character that the
// table holds; nothing otherwise (longer texts, single bytes, codes that are
// not characters). The view points into the table, or into `gbk` itself for
// a character that reads as itself.
std::optional<std::string_view> TableReading(std::string_view gbk);

}  // namespace pcshop::text
