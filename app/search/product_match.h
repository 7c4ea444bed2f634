#pragma once
// Finding products by what the user types, on GBK texts, without the
// runtime: the folding of texts, the matching rules and the ranking.
//
// Every word typed must be part of the brand, the model or the remark, in
// any order, ignoring case, full-width against half-width forms and, in the
// model, spaces ("rtx4060" is part of "RTX 4060 Ultra W"). A word of Latin
// letters may instead be part of the pinyin initials of the brand or the
// remark (qch: 七彩虹). Models that equal a word come first, then models that
// start with one, then products in stock, then the rest; catalogue order
// within each.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pcshop::app {

// Lower-case ASCII; full-width ASCII forms (０-９, Ａ-Ｚ, ...) and the
// ideographic space as their half-width forms; every other character as it
// is. Never splits a double-byte character.
std::string FoldText(std::string_view gbk);

// FoldText without spaces.
std::string FoldCompact(std::string_view gbk);

// The folded words of what was typed, split at spaces.
std::vector<std::string> QueryWords(std::string_view gbk);

// Whether `word` occurs in the folded `text` starting on a character.
bool ContainsWord(std::string_view text, std::string_view word);

// One product as the search holds it.
struct SearchEntry {
  int32_t category = 0;  // 0 (CPU) to 13 (其它)
  std::string kind, brand, model, remark;  // as the table holds them
  int32_t price = 0;
  int64_t on_hand = 0;
  // Folded forms and pinyin initials (folded; empty for a text without a
  // Chinese character).
  std::string brand_folded, model_compact, remark_folded;
  std::string brand_initials, remark_initials;
};

// Fills the folded forms from the texts; initials are the caller's.
void FoldEntry(SearchEntry& entry);

inline constexpr size_t kMaxFound = 50;

// The entries that match every word of `typed`, best first, at most
// `limit`; none for a text without words. `tables` in catalogue order.
std::vector<const SearchEntry*> FindProducts(std::span<const std::vector<SearchEntry>> tables,
                                             std::string_view typed, size_t limit = kMaxFound);

}  // namespace pcshop::app
