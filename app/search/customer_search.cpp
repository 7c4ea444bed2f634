// 客户管理's query box finds as it is typed: the names that match drop below
// it (name, pinyin code, phone); the one taken is listed alone, as 查询 with
// its name would.

#include <string>
#include <vector>

#include "app/app_calls.h"
#include "app/customers/customer_controls.h"
#include "app/customers/customer_register.h"
#include "app/routines.h"
#include "app/search/product_match.h"
#include "app/search/search_indexes.h"

namespace pcshop::app {
namespace {

constexpr int32_t kDropColumns = 3;

}  // namespace

void CustomerSearchTyped(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ControlRef box = CustomerQueryBox(rt);
  const calls::OwnedText typed = TextOf(rt, box);
  NameIndex& index = TheNameIndex(rt);
  if (QueryWords(typed.view()).empty()) {
    (void)index.Find("", 0);
    rt.HideDropRows(ObjectOf(box));
    return;
  }
  index.Refresh(rt);
  std::vector<const char*> cells;
  for (const NameEntry* e : index.Find(typed.view(), kMaxFound)) {
    cells.insert(cells.end(), {e->name.c_str(), e->pinyin.c_str(), e->phone.c_str()});
  }
  rt.ShowDropRows(ObjectOf(box), kDropColumns, cells);
}

void CustomerSearchTaken(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  if (call.event_data.empty()) return;
  const NameEntry* taken = TheNameIndex(rt).Found(call.event_data[0]);
  if (taken == nullptr) return;
  // The index's texts go with the next refresh: copy the name first.
  const std::string name = taken->name;
  ListCustomerNamed(rt, name.c_str());
}

}  // namespace pcshop::app
