#include "app/search/product_match.h"

#include <algorithm>

namespace pcshop::app {
namespace {

bool IsLead(char c) { return static_cast<unsigned char>(c) >= 0x81; }

bool IsLatinWord(std::string_view word) {
  return !word.empty() &&
         std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// How a product's model answers the words: 0 equal to one, 1 starting with
// one, 2 neither.
int ModelRank(const SearchEntry& e, std::span<const std::string> words) {
  int rank = 2;
  for (const std::string& w : words) {
    if (e.model_compact == w) return 0;
    if (e.model_compact.starts_with(w)) rank = 1;
  }
  return rank;
}

bool Matches(const SearchEntry& e, std::span<const std::string> words) {
  for (const std::string& w : words) {
    const bool found = ContainsWord(e.model_compact, w) || ContainsWord(e.brand_folded, w) ||
                       ContainsWord(e.remark_folded, w) ||
                       (IsLatinWord(w) && (ContainsWord(e.brand_initials, w) ||
                                           ContainsWord(e.remark_initials, w)));
    if (!found) return false;
  }
  return true;
}

}  // namespace

std::string FoldText(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size());
  for (size_t i = 0; i < gbk.size(); ++i) {
    const char c = gbk[i];
    if (!IsLead(c) || i + 1 >= gbk.size()) {
      out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
      continue;
    }
    const auto lead = static_cast<unsigned char>(c);
    const auto trail = static_cast<unsigned char>(gbk[i + 1]);
    ++i;
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      // GBK row 3 holds the full-width forms of ! to ~ in ASCII order.
      const char ascii = static_cast<char>(trail - 0x80);
      out.push_back(ascii >= 'A' && ascii <= 'Z' ? static_cast<char>(ascii - 'A' + 'a') : ascii);
    } else if (lead == 0xA1 && trail == 0xA1) {
      out.push_back(' ');
    } else {
      out.push_back(c);
      out.push_back(gbk[i]);
    }
  }
  return out;
}

std::string FoldCompact(std::string_view gbk) {
  std::string folded = FoldText(gbk);
  std::erase(folded, ' ');
  return folded;
}

std::vector<std::string> QueryWords(std::string_view gbk) {
  std::vector<std::string> words;
  const std::string folded = FoldText(gbk);
  size_t start = 0;
  while (start < folded.size()) {
    const size_t end = std::min(folded.find(' ', start), folded.size());
    if (end > start) words.push_back(folded.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

bool ContainsWord(std::string_view text, std::string_view word) {
  if (word.empty()) return true;
  // Byte by byte a match could start on a trail byte: a trail byte may be a
  // Latin letter (0x40 to 0x7E), and "a" is no part of the character 0x81 0x61.
  for (size_t i = 0; i + word.size() <= text.size(); i += IsLead(text[i]) ? 2 : 1) {
    if (text.compare(i, word.size(), word) == 0) return true;
  }
  return false;
}

void FoldEntry(SearchEntry& entry) {
  entry.brand_folded = FoldText(entry.brand);
  entry.model_compact = FoldCompact(entry.model);
  entry.remark_folded = FoldText(entry.remark);
}

std::vector<const SearchEntry*> FindProducts(std::span<const std::vector<SearchEntry>> tables,
                                             std::string_view typed, size_t limit) {
  const std::vector<std::string> words = QueryWords(typed);
  struct Found {
    int model_rank;
    bool in_stock;
    size_t order;
    const SearchEntry* entry;
  };
  std::vector<Found> found;
  if (words.empty()) return {};
  size_t order = 0;
  for (const std::vector<SearchEntry>& table : tables) {
    for (const SearchEntry& e : table) {
      ++order;
      if (Matches(e, words)) found.push_back({ModelRank(e, words), e.on_hand > 0, order, &e});
    }
  }
  auto better = [](const Found& a, const Found& b) {
    if (a.model_rank != b.model_rank) return a.model_rank < b.model_rank;
    if (a.in_stock != b.in_stock) return a.in_stock;
    return a.order < b.order;
  };
  const size_t kept = std::min(limit, found.size());
  std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(kept), found.end(),
                    better);
  std::vector<const SearchEntry*> out;
  out.reserve(kept);
  for (size_t i = 0; i < kept; ++i) out.push_back(found[i].entry);
  return out;
}

}  // namespace pcshop::app
