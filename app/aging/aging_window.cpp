// The aged-debts window's arrival and its 刷新 (also what choosing 应收 or
// 应付 does).

#include "app/accounts/payment_table.h"
#include "app/aging/aging_controls.h"
#include "app/aging/aging_list.h"
#include "app/app_calls.h"
#include "app/customers/customer_table.h"
#include "app/routines.h"

namespace pcshop::app {
namespace {

constexpr int32_t kReceivableIndex = 0;

}  // namespace

void OnAgingWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  // The register and the payments may not have been opened in this run.
  OpenCustomerTable(rt);
  OpenPaymentTable(rt);
  const AgingWindow w = Aging(rt);
  SetIndexOf(rt, w.side, kReceivableIndex);
  ShowAgedList(rt, w);
}

void RefreshAgedDebts(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  ShowAgedList(rt, Aging(rt));
}

}  // namespace pcshop::app
