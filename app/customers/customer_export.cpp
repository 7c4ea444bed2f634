// 导出 and 另存为: the customer list handed to the shared spreadsheet export.

#include "app/app_calls.h"
#include "app/customers/customer_controls.h"
#include "app/customers/customer_record.h"
#include "app/export/export_list.h"
#include "app/routines.h"

namespace pcshop::app {

void ExportCustomerList(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const calls::ValueTriple list = ObjectOf(CustomerList(rt));
  if (rt.GetListRowCount(list) == 0) return;
  // The file is named after the current table: make sure it is this one.
  SelectCustomerTable(rt);
  ExportList(rt, ObjectOf(CustomerDialog(rt)), list);
}

void SaveCustomerListAs(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const calls::ValueTriple list = ObjectOf(CustomerList(rt));
  if (rt.GetListRowCount(list) == 0) return;
  SaveListAs(rt, ObjectOf(CustomerDialog(rt)), list,
             NamedList(list, sym::text::kCustomerSheetName));
}

}  // namespace pcshop::app
