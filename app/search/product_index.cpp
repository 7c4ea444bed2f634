#include "app/search/product_index.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "app/catalogue/catalogue_tables.h"
#include "app/catalogue/product_fields.h"
#include "app/customers/customer_register.h"
#include "app/stock/on_hand.h"
#include "app/stock/stock_tables.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

bool IsLead(char c) { return static_cast<unsigned char>(c) >= 0x81; }

}  // namespace

void ProductIndex::Refresh(calls::Calls& rt) {
  const calls::OwnedText current = rt.CurrentTableName();
  bool stock_moved = false;
  for (size_t i = 0; i < 2; ++i) {
    const StockSide side = i == 0 ? StockSide::kIn : StockSide::kOut;
    if (!rt.SelectTable(rt.ConstText(StockTableAlias(side)))) continue;
    const int32_t counter = rt.ChangeCount();
    // -1: unreadable now; read again next time.
    if (counter != stock_counters_[i] || counter < 0) stock_moved = true;
    stock_counters_[i] = counter;
  }
  std::vector<size_t> reloaded;
  for (size_t i = 0; i < kCategories; ++i) {
    if (!rt.SelectTable(rt.ConstText(kProductTables[i].alias))) {
      tables_[i].clear();
      counters_[i] = kNever;
      continue;
    }
    const int32_t counter = rt.ChangeCount();
    if (counter == counters_[i] && counter >= 0) continue;
    counters_[i] = counter;
    LoadCategory(rt, i);
    reloaded.push_back(i);
  }
  if (stock_moved || !reloaded.empty()) LoadOnHand(rt);
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
}

void ProductIndex::LoadCategory(calls::Calls& rt, size_t category) {
  const ProductFieldNames names = FieldNames(rt);
  std::vector<SearchEntry>& table = tables_[category];
  table.clear();
  // The whole table in one query: a record walk costs a call per field.
  const std::array<const char*, 5> fields = {names.kind, names.brand, names.model, names.price,
                                             names.remark};
  const auto rows = rt.ReadMatching("", "", fields);
  if (!rows) return;  // a table of another layout offers nothing to find
  table.reserve(rows->size());
  for (const calls::TextRow& row : *rows) {
    if (row.size() != fields.size()) continue;
    SearchEntry& e = table.emplace_back();
    e.category = static_cast<int32_t>(category);
    e.kind = row[0];
    e.brand = row[1];
    e.model = row[2];
    const std::string& price = row[3];
    (void)std::from_chars(price.data(), price.data() + price.size(), e.price);
    e.remark = row[4];
    FoldEntry(e);
    e.brand_initials = Initials(rt, e.brand_folded);
    e.remark_initials = Initials(rt, e.remark_folded);
  }
}

void ProductIndex::LoadOnHand(calls::Calls& rt) {
  const OnHand on_hand = OnHand::Load(rt);
  on_hand_known_ = true;
  for (std::vector<SearchEntry>& table : tables_) {
    for (SearchEntry& e : table) {
      const auto figure = on_hand.Of(e.kind, e.brand, e.model);
      if (!figure) on_hand_known_ = false;
      e.on_hand = figure.value_or(0);
    }
  }
}

std::string ProductIndex::Initials(calls::Calls& rt, std::string_view folded) {
  bool chinese = false;
  std::string out;
  for (size_t i = 0; i < folded.size(); ++i) {
    if (!IsLead(folded[i]) || i + 1 >= folded.size()) {
      out.push_back(folded[i]);
      continue;
    }
    chinese = true;
    const auto key = static_cast<uint16_t>((static_cast<unsigned char>(folded[i]) << 8) |
                                           static_cast<unsigned char>(folded[i + 1]));
    auto it = initials_.find(key);
    if (it == initials_.end()) {
      const std::string character(folded.substr(i, 2));
      const std::string initial = PinyinInitialAt(rt, character.c_str(), 1);
      const char c = initial.size() == 1 ? initial[0] : '\0';
      const char letter = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
      // A symbol has no initial; it must not join its neighbours' letters.
      it = initials_.emplace(key, letter >= 'a' && letter <= 'z' ? letter : ' ').first;
    }
    out.push_back(it->second);
    ++i;
  }
  return chinese ? out : std::string();
}

const std::vector<SearchEntry>& ProductIndex::Find(std::string_view typed) {
  found_.clear();
  for (const SearchEntry* e : FindProducts(tables_, typed)) found_.push_back(*e);
  return found_;
}

const SearchEntry* ProductIndex::Found(int32_t row) const {
  if (row < 0 || static_cast<size_t>(row) >= found_.size()) return nullptr;
  return &found_[static_cast<size_t>(row)];
}

size_t ProductIndex::size() const {
  size_t n = 0;
  for (const auto& t : tables_) n += t.size();
  return n;
}

}  // namespace pcshop::app
