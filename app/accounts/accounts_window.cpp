// The accounts window's own handlers: arrival, the name box, picking a
// payment, and 新客户, which takes a name the register lacks to 客户管理.

#include <string>

#include "app/accounts/account_view.h"
#include "app/accounts/payment_input.h"
#include "app/accounts/payment_list.h"
#include "app/accounts/payment_table.h"
#include "app/app_calls.h"
#include "app/checks/typed_values.h"
#include "app/customers/customer_controls.h"
#include "app/customers/customer_record.h"
#include "app/customers/customer_register.h"
#include "app/customers/customer_table.h"
#include "app/customers/name_box.h"
#include "app/routines.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

constexpr int32_t kReceivedIndex = 0;  // 收款
constexpr int32_t kCashIndex = 0;      // 现金

}  // namespace

void OnAccountsWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  // The register may never have been opened in this run, nor created.
  OpenCustomerTable(rt);
  OpenPaymentTable(rt);
  const AccountsWindow w = Accounts(rt);
  SetTextOf(rt, w.date, Today(rt).c_str());
  SetIndexOf(rt, w.kind, kReceivedIndex);
  SetIndexOf(rt, w.method, kCashIndex);
  FillMatchingNames(rt, w.name);
  (void)PaymentTableUsableOrSay(rt);
}

void FillAccountNames(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  FillMatchingNames(rt, Accounts(rt).name);
}

void ShowAccount(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  const std::string name(TextOf(rt, w.name).view());
  if (name.empty()) return;
  if (!ShowAccountOf(rt, w, name)) {
    (void)rt.MessageBox(NameNotInRegisterText(rt, name).c_str(), 0);
  }
}

void PickPayment(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  const int32_t row = IndexOf(rt, w.list);
  if (row < 0 || row >= rt.GetListRowCount(ObjectOf(w.list))) return;
  const Payment p = PaymentOnRow(rt, w, row);
  rt.SetComboText(ObjectOf(w.name), p.name.c_str());
  SetTextOf(rt, w.date, p.date.c_str());
  ChooseItemByText(rt, w.kind, p.kind.c_str());
  SetTextOf(rt, w.amount, std::to_string(p.amount).c_str());
  ChooseItemByText(rt, w.method, p.method.c_str());
  SetTextOf(rt, w.remark, p.remark.c_str());
}

// 客户管理 opens with the typed name in its name box, ready for 新增; the
// accounts window closes as on every move between windows.
void AccountsNewCustomer(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  OpenRegisterWithName(rt, std::string(TextOf(rt, w.name).view()), w.window);
}

}  // namespace pcshop::app
