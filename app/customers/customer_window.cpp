// The customer window's creation: its table first, then its list.

#include "app/app_calls.h"
#include "app/customers/customer_table.h"
#include "app/routines.h"

namespace pcshop::app {

// Fills the customer list from the table; bound once the customer register's
// list is built.
__attribute__((weak)) void ListCustomers(calls::Calls& rt);

void OnCustomerWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  OpenCustomerTable(rt);
  if (&ListCustomers != nullptr) ListCustomers(rt);
}

}  // namespace pcshop::app
