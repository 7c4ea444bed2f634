#include "app/import/column_map.h"

#include "app/search/product_match.h"

namespace pcshop::app {
namespace {

constexpr int32_t kRequired[] = {static_cast<int32_t>(ImportField::kBrand),
                                 static_cast<int32_t>(ImportField::kModel),
                                 static_cast<int32_t>(ImportField::kPrice)};

// A header without what follows an opening bracket: "价格(元)", "单价（含税）".
std::string HeaderKey(std::string_view gbk) {
  std::string folded = FoldCompact(gbk);
  // GBK "（" is A3A8, which FoldText made "(".
  const size_t bracket = folded.find('(');
  if (bracket != std::string::npos && bracket > 0) folded.resize(bracket);
  return folded;
}

std::vector<std::vector<std::string>> SynonymTable(std::string_view synonyms) {
  std::vector<std::vector<std::string>> table;
  while (!synonyms.empty() && table.size() < kImportFieldCount) {
    const size_t end = synonyms.find('|');
    std::string_view entry = synonyms.substr(0, end);
    synonyms = end == std::string_view::npos ? std::string_view() : synonyms.substr(end + 1);
    const size_t colon = entry.find(':');
    if (colon != std::string_view::npos) entry = entry.substr(colon + 1);
    std::vector<std::string> words;
    for (std::string_view w : QueryWords(entry)) words.emplace_back(w);
    table.push_back(std::move(words));
  }
  return table;
}

}  // namespace

bool ColumnMap::complete() const {
  for (const int32_t f : kRequired) {
    if (column[static_cast<size_t>(f)] < 0) return false;
  }
  return true;
}

ColumnMap MapHeaders(std::span<const std::string> headers, std::string_view synonyms) {
  const std::vector<std::vector<std::string>> table = SynonymTable(synonyms);
  ColumnMap map;
  // Earlier synonyms are better names: "型号" wins over "名称" when both occur.
  for (size_t f = 0; f < table.size(); ++f) {
    size_t best_rank = SIZE_MAX;
    for (size_t c = 0; c < headers.size(); ++c) {
      const std::string key = HeaderKey(headers[c]);
      for (size_t rank = 0; rank < table[f].size() && rank < best_rank; ++rank) {
        if (key != table[f][rank]) continue;
        bool taken = false;
        for (const int32_t used : map.column) taken = taken || used == static_cast<int32_t>(c);
        if (taken) continue;
        best_rank = rank;
        map.column[f] = static_cast<int32_t>(c);
      }
    }
  }
  return map;
}

HeaderFound FindHeaderRow(std::span<const std::vector<std::string>> rows,
                          std::string_view synonyms) {
  HeaderFound best;
  int found_best = 0;
  for (size_t r = 0; r < rows.size() && r < kHeaderSearchRows; ++r) {
    const ColumnMap map = MapHeaders(rows[r], synonyms);
    if (map[ImportField::kModel] >= 0 && map[ImportField::kPrice] >= 0) {
      return {static_cast<int32_t>(r), map};
    }
    int found = 0;
    for (const int32_t c : map.column) found += c >= 0 ? 1 : 0;
    if (found > found_best) {
      found_best = found;
      best = {static_cast<int32_t>(r), map};
    }
  }
  if (found_best < 2) return {};
  return best;
}

std::string HeaderSignature(std::span<const std::string> headers) {
  std::string signature;
  for (const std::string& h : headers) {
    if (!signature.empty()) signature += '|';
    signature += HeaderKey(h);
  }
  return signature;
}

std::string MapText(const ColumnMap& map) {
  std::string text;
  for (const int32_t c : map.column) {
    if (!text.empty()) text += ',';
    text += std::to_string(c);
  }
  return text;
}

bool ParseMapText(std::string_view text, size_t columns, ColumnMap& map) {
  ColumnMap read;
  for (size_t f = 0; f < kImportFieldCount; ++f) {
    const size_t end = text.find(',');
    const std::string_view part = text.substr(0, end);
    if (part.empty() || part.size() > 4) return false;
    int32_t value = 0;
    bool negative = part == "-1";
    if (!negative) {
      for (const char c : part) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
      }
      if (static_cast<size_t>(value) >= columns) return false;
    }
    read.column[f] = negative ? -1 : value;
    if ((end == std::string_view::npos) != (f + 1 == kImportFieldCount)) return false;
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  map = read;
  return true;
}

}  // namespace pcshop::app
