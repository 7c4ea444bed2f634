#include "app/search/search_box.h"

#include <string>
#include <vector>

#include "app/catalogue/catalogue_tables.h"
#include "app/search/search_indexes.h"

namespace pcshop::app {
namespace {

constexpr int32_t kDropColumns = 6;

}  // namespace

void DropMatchingProducts(calls::Calls& rt, const ControlRef& box) {
  const calls::OwnedText typed = TextOf(rt, box);
  ProductIndex& index = TheProductIndex(rt);
  if (QueryWords(typed.view()).empty()) {
    (void)index.Find("");
    rt.HideDropRows(ObjectOf(box));
    return;
  }
  index.Refresh(rt);
  const std::vector<SearchEntry>& found = index.Find(typed.view());
  // The texts live until the call returns; the pointers into them too.
  std::vector<std::string> numbers;
  numbers.reserve(2 * found.size());
  for (const SearchEntry& e : found) {
    numbers.push_back(std::to_string(e.price));
    numbers.push_back(index.on_hand_known() ? std::to_string(e.on_hand) : std::string());
  }
  std::vector<const char*> cells;
  cells.reserve(kDropColumns * found.size());
  for (size_t i = 0; i < found.size(); ++i) {
    const SearchEntry& e = found[i];
    cells.insert(cells.end(), {CategoryName(rt, e.category), e.brand.c_str(), e.model.c_str(),
                               numbers[2 * i].c_str(), numbers[2 * i + 1].c_str(),
                               e.remark.c_str()});
  }
  rt.ShowDropRows(ObjectOf(box), kDropColumns, cells);
}

const SearchEntry* TakenProduct(calls::Calls& rt, const calls::RoutineCall& call) {
  if (call.event_data.empty()) return nullptr;
  return TheProductIndex(rt).Found(call.event_data[0]);
}

const char* CategoryName(calls::Calls& rt, int32_t category) {
  if (category < 0 || category >= kCategoryCount) return "";
  return rt.ConstText(kProductTables[static_cast<size_t>(category)].alias);
}

}  // namespace pcshop::app
