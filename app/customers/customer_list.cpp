// The customer list rebuilt from the table, and the refresh button.

#include "app/accounts/balances.h"
#include "app/app_calls.h"
#include "app/customers/customer_controls.h"
#include "app/customers/customer_record.h"
#include "app/customers/customer_register.h"
#include "app/routines.h"

namespace pcshop::app {

void ListCustomers(calls::Calls& rt) {
  const Balances balances = Balances::Load(rt);
  SelectCustomerTable(rt);
  const calls::ValueTriple list = ObjectOf(CustomerList(rt));
  rt.ClearList(list);
  const int32_t count = rt.RecordCount();
  if (count == 0) return;
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    AppendCustomerRow(rt, list, names, n, balances);
  }
}

void ClearCustomerInputs(calls::Calls& rt) {
  const CustomerBoxes box = CustomerInputs(rt);
  SetTextOf(rt, box.name, "");
  SetTextOf(rt, box.pinyin, "");
  SetIndexOf(rt, box.category, -1);
  SetTextOf(rt, box.unit, "");
  SetTextOf(rt, box.phone, "");
  SetTextOf(rt, box.receivable, "");
  SetTextOf(rt, box.payable, "");
  SetTextOf(rt, box.date, "");
  SetTextOf(rt, box.remark, "");
}

void RefreshCustomers(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ListCustomers(rt);
  ClearCustomerInputs(rt);
}

}  // namespace pcshop::app
