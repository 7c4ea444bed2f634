// 新增, 修改 and 删除 of one payment, each after a confirmation that lists
// every field, each reported; the name's balances and list follow.

#include <string>

#include "app/accounts/account_view.h"
#include "app/accounts/payment_input.h"
#include "app/accounts/payment_list.h"
#include "app/accounts/payment_table.h"
#include "app/app_calls.h"
#include "app/routines.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

bool Ask(calls::Calls& rt, const std::string& text) { return rt.MessageBox(text.c_str(), 1) == 0; }
void Say(calls::Calls& rt, const char* text) { (void)rt.MessageBox(text, 0); }
void Say(calls::Calls& rt, uint32_t text) { Say(rt, rt.ConstText(text)); }

// The payment's lines: 姓名 first (after a text that ends with its label),
// then 类型 ... 备注; `labels` are the text keys of the five later labels.
std::string Lines(calls::Calls& rt, const Payment& p, const uint32_t (&labels)[5]) {
  std::string s = p.name;
  const std::string values[] = {p.kind, std::to_string(p.amount), p.method, p.date, p.remark};
  for (size_t i = 0; i < 5; ++i) s.append(rt.ConstText(labels[i])).append(values[i]);
  return s;
}

constexpr uint32_t kLines[5] = {t::kLinePaymentKind, t::kLineAmount, t::kLineMethod,
                                t::kLineDate, t::kLineRemark};
constexpr uint32_t kOldLines[5] = {t::kLineOldPaymentKind, t::kLineOldAmount, t::kLineOldMethod,
                                   t::kLineOldDate, t::kLineOldRemark};
constexpr uint32_t kNewLines[5] = {t::kLineNewPaymentKind, t::kLineNewAmount, t::kLineNewMethod,
                                   t::kLineNewDate, t::kLineNewRemark};

// The picked payment's record, made current; a message when there is none.
int32_t PickedRecordOrSay(calls::Calls& rt, const AccountsWindow& w) {
  const int32_t n = PickedPaymentRecord(rt, w);
  if (n == 0) Say(rt, t::kPickMovementFirst);
  if (n < 0) Say(rt, t::kMovementChanged);
  return n;
}

// The name of the payment written, with its balances and payments.
void ShowWritten(calls::Calls& rt, const AccountsWindow& w, const Payment& p) {
  rt.SetComboText(ObjectOf(w.name), p.name.c_str());
  SetTextOf(rt, w.amount, "");
  SetTextOf(rt, w.remark, "");
  (void)ShowAccountOf(rt, w, p.name);
}

}  // namespace

void AddPayment(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  if (!PaymentTableUsableOrSay(rt)) return;
  const PaymentInput in = ReadPaymentInput(rt, w);
  if (!in.error.empty()) return Say(rt, in.error.c_str());
  const Payment& p = in.payment;
  const std::string ask = std::string(rt.ConstText(t::kAddingPayment)) + Lines(rt, p, kLines) +
                          rt.ConstText(t::kConfirmAddPaymentEnd);
  if (!Ask(rt, ask)) return;
  SelectPaymentTable(rt);
  const std::vector<calls::ValueTriple> values = PaymentValues(rt, p);
  if (!rt.AppendRecord(values)) return Say(rt, t::kAddFailed);
  Say(rt, t::kAddSucceeded);
  ShowWritten(rt, w, p);
}

void ModifyPayment(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  if (!PaymentTableUsableOrSay(rt)) return;
  const PaymentInput in = ReadPaymentInput(rt, w);
  if (PickedRecordOrSay(rt, w) <= 0) return;
  const Payment before = ReadPayment(rt);
  if (!in.error.empty()) return Say(rt, in.error.c_str());
  const Payment& p = in.payment;
  if (p == before) return Say(rt, t::kSameAsBefore);
  const std::string ask = std::string(rt.ConstText(t::kModifyingPayment)) +
                          Lines(rt, before, kOldLines) + rt.ConstText(t::kLineNewName) +
                          Lines(rt, p, kNewLines) + rt.ConstText(t::kConfirmEnd);
  if (!Ask(rt, ask)) return;
  // The confirmation ran a modal loop: find the record again.
  if (PickedRecordOrSay(rt, w) <= 0) return;
  const std::vector<calls::ValueTriple> values = PaymentValues(rt, p);
  if (!rt.ModifyRecord(values)) return Say(rt, t::kModifyFailed);
  Say(rt, t::kModifySucceeded);
  ShowWritten(rt, w, p);
}

void DeletePayment(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const AccountsWindow w = Accounts(rt);
  if (!PaymentTableUsableOrSay(rt)) return;
  if (PickedRecordOrSay(rt, w) <= 0) return;
  const Payment p = ReadPayment(rt);
  const std::string ask = std::string(rt.ConstText(t::kDeletingPayment)) + Lines(rt, p, kLines) +
                          rt.ConstText(t::kConfirmDeletePaymentEnd);
  if (!Ask(rt, ask)) return;
  if (PickedRecordOrSay(rt, w) <= 0) return;
  // One step: a delete cut short leaves no mark for a later purge to act on.
  if (!rt.RemoveRecord()) return Say(rt, t::kDeleteFailed);
  Say(rt, t::kDeleteSucceeded);
  ShowWritten(rt, w, p);
}

}  // namespace pcshop::app
