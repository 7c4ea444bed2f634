#include "app/search/name_index.h"

#include <algorithm>

#include "app/customers/customer_record.h"
#include "app/search/product_match.h"

namespace pcshop::app {
namespace {

// 0 a field equals `whole`, 1 a field starts with it, 2 neither.
int Rank(const NameEntry& e, std::string_view whole) {
  int rank = 2;
  for (const std::string* field : {&e.name_folded, &e.pinyin_folded, &e.phone_compact}) {
    if (*field == whole) return 0;
    if (field->starts_with(whole)) rank = 1;
  }
  return rank;
}

bool Matches(const NameEntry& e, const std::vector<std::string>& words) {
  return std::all_of(words.begin(), words.end(), [&](const std::string& w) {
    return ContainsWord(e.name_folded, w) || ContainsWord(e.pinyin_folded, w) ||
           ContainsWord(e.phone_compact, w);
  });
}

}  // namespace

void NameIndex::Refresh(calls::Calls& rt) {
  SelectCustomerTable(rt);
  const int32_t counter = rt.ChangeCount();
  // -1: unreadable now; read again next time.
  if (counter == counter_ && counter >= 0) return;
  counter_ = counter;
  entries_.clear();
  found_.clear();
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  const int32_t count = rt.RecordCount();
  entries_.reserve(static_cast<size_t>(std::max(count, 0)));
  for (int32_t n = 1; n <= count; ++n) {
    if (!rt.GoToRecord(n)) continue;
    std::string name(rt.ReadFieldText(names.name, {}).view());
    if (name.empty()) continue;
    NameEntry& e = entries_.emplace_back();
    e.name = std::move(name);
    e.pinyin = rt.ReadFieldText(names.pinyin, {}).view();
    e.phone = rt.ReadFieldText(names.phone, {}).view();
    e.name_folded = FoldText(e.name);
    e.pinyin_folded = FoldText(e.pinyin);
    e.phone_compact = FoldCompact(e.phone);
  }
  (void)rt.GoToRecord(1);
}

const std::vector<const NameEntry*>& NameIndex::Find(std::string_view typed, size_t limit) {
  found_.clear();
  const std::vector<std::string> words = QueryWords(typed);
  if (words.empty()) {
    for (const NameEntry& e : entries_) {
      if (found_.size() == limit) break;
      found_.push_back(&e);
    }
    return found_;
  }
  std::string whole;
  for (const std::string& w : words) whole += w;
  std::vector<std::pair<int, const NameEntry*>> ranked;
  for (const NameEntry& e : entries_) {
    if (Matches(e, words)) ranked.emplace_back(Rank(e, whole), &e);
  }
  // Stable: register order within a rank.
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [rank, e] : ranked) {
    if (found_.size() == limit) break;
    found_.push_back(e);
  }
  return found_;
}

const NameEntry* NameIndex::Found(int32_t row) const {
  if (row < 0 || static_cast<size_t>(row) >= found_.size()) return nullptr;
  return found_[static_cast<size_t>(row)];
}

}  // namespace pcshop::app
