// 查询: a name, pinyin code or phone shows the first customer that has it;
// otherwise every customer whose category, unit or remark equals the query.
// A name taken from the query box's drop list shows that customer.

#include <cstring>

#include "app/accounts/balances.h"
#include "app/app_calls.h"
#include "app/customers/customer_controls.h"
#include "app/customers/customer_record.h"
#include "app/customers/customer_register.h"
#include "app/routines.h"

namespace pcshop::app {

void QueryCustomers(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const Balances balances = Balances::Load(rt);
  SelectCustomerTable(rt);
  const calls::ValueTriple list = ObjectOf(CustomerList(rt));
  rt.ClearList(list);
  if (rt.RecordCount() == 0) {
    (void)rt.MessageBox(rt.ConstText(sym::text::kNoRecords), 0);
    return;
  }
  const calls::OwnedText query = TextOf(rt, CustomerQueryBox(rt));
  if (query.view().empty()) return;
  // The query box itself keeps its text, whatever matched.
  const calls::OwnedText q = TrimBlanks(rt, query.c_str());
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  auto equals = [&](const char* field) {
    const calls::OwnedText value = rt.ReadFieldText(field, {});
    return std::strcmp(value.c_str(), q.c_str()) == 0;
  };
  if (rt.FindRecord(
          [&] { return equals(names.name) || equals(names.pinyin) || equals(names.phone); })) {
    AppendCustomerRow(rt, list, names, kNumberByRowCount, balances);
    return;
  }
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    if (equals(names.category) || equals(names.unit) || equals(names.remark)) {
      AppendCustomerRow(rt, list, names, kNumberByRowCount, balances);
    }
  }
}

void ListCustomerNamed(calls::Calls& rt, const char* name) {
  const Balances balances = Balances::Load(rt);
  SelectCustomerTable(rt);
  const calls::ValueTriple list = ObjectOf(CustomerList(rt));
  rt.ClearList(list);
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  if (rt.FindRecord([&] {
        const calls::OwnedText value = rt.ReadFieldText(names.name, {});
        return std::strcmp(value.c_str(), name) == 0;
      })) {
    AppendCustomerRow(rt, list, names, kNumberByRowCount, balances);
  }
}

}  // namespace pcshop::app
