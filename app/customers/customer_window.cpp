// The customer window's creation: its table and the payments behind its
// balances first, then its list.

#include "app/accounts/payment_table.h"
#include "app/app_calls.h"
#include "app/customers/customer_register.h"
#include "app/customers/customer_table.h"
#include "app/routines.h"

namespace pcshop::app {

void OnCustomerWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  OpenCustomerTable(rt);
  OpenPaymentTable(rt);
  ListCustomers(rt);
}

}  // namespace pcshop::app
