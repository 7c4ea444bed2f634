#pragma once
// Which column of a price list holds which product field, found by the
// headers suppliers use: 单价, 报价, 零售价 for 价格, 规格 or 型号规格 for
// 型号, and so on. The synonyms are data (the text ImportHeaderSynonyms).

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pcshop::app {

enum class ImportField : int32_t { kCategory = 0, kBrand, kModel, kPrice, kRemark };
inline constexpr size_t kImportFieldCount = 5;

// A column index from 0 for each field, -1 for none.
struct ColumnMap {
  std::array<int32_t, kImportFieldCount> column = {-1, -1, -1, -1, -1};
  int32_t& operator[](ImportField f) { return column[static_cast<size_t>(f)]; }
  int32_t operator[](ImportField f) const { return column[static_cast<size_t>(f)]; }
  // 品牌, 型号 and 价格 are needed; 品名 may come from the user's choice and
  // a missing 备注 leaves remarks as they are.
  bool complete() const;
  bool operator==(const ColumnMap&) const = default;
};

// `synonyms`: entries separated by "|", each the field's own name, ":" and
// its synonyms separated by spaces, in ImportField order (GBK).
ColumnMap MapHeaders(std::span<const std::string> headers, std::string_view synonyms);

struct HeaderFound {
  int32_t row = -1;  // index among the rows given; -1 for none
  ColumnMap map;
};

// The first of the leading rows whose headers map 型号 and 价格 (a title line
// or two above the table is common); the best partial map otherwise, for
// the message that names what is missing.
inline constexpr size_t kHeaderSearchRows = 20;
HeaderFound FindHeaderRow(std::span<const std::vector<std::string>> rows,
                          std::string_view synonyms);

// What identifies a list's layout for the remembered mapping: its folded
// headers, joined.
std::string HeaderSignature(std::span<const std::string> headers);

// A remembered mapping as text ("0,1,2,3,-1") and back; a text of another
// shape, or a column outside `columns`, gives nothing.
std::string MapText(const ColumnMap& map);
bool ParseMapText(std::string_view text, size_t columns, ColumnMap& map);

}  // namespace pcshop::app
