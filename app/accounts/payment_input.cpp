#include "app/accounts/payment_input.h"

#include "app/checks/typed_values.h"
#include "app/customers/customer_record.h"
#include "app/customers/name_box.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

uint32_t AmountMessage(AmountProblem problem) {
  switch (problem) {
    case AmountProblem::kNotWhole: return t::kPaymentAmountNotWhole;
    case AmountProblem::kNotPositive: return t::kPaymentAmountNotPositive;
    case AmountProblem::kTooLarge: return t::kAmountTooLarge;
    case AmountProblem::kNone: break;
  }
  return t::kEmpty;
}

// The refusal, or "" when the payment is accepted.
std::string Check(calls::Calls& rt, const AccountsWindow& w, Payment& p) {
  if (p.name.empty()) return rt.ConstText(t::kChooseAccountName);
  if (!OpeningBalancesOf(rt, p.name.c_str())) return NameNotInRegisterText(rt, p.name);
  if (p.kind != rt.ConstText(t::kPaymentReceived) && p.kind != rt.ConstText(t::kPaymentMade)) {
    return rt.ConstText(t::kChoosePaymentKind);
  }
  const AmountReading amount = ReadAmount(TextOf(rt, w.amount).view());
  if (amount.problem != AmountProblem::kNone) return rt.ConstText(AmountMessage(amount.problem));
  p.amount = amount.value;
  if (p.method.empty()) return rt.ConstText(t::kChoosePaymentMethod);
  const auto date = CanonicalDate(rt, TextOf(rt, w.date).view());
  if (!date) return rt.ConstText(t::kDateNotDate);
  p.date = *date;
  return {};
}

}  // namespace

bool PaymentTableUsableOrSay(calls::Calls& rt) {
  if (PaymentTableUsable(rt)) return true;
  const std::string text = std::string(rt.ConstText(t::kPaymentsTable)) +
                           rt.ConstText(t::kTableExtension) + rt.ConstText(t::kTableUnusable);
  (void)rt.MessageBox(text.c_str(), 0);
  return false;
}

PaymentInput ReadPaymentInput(calls::Calls& rt, const AccountsWindow& w) {
  PaymentInput in;
  Payment& p = in.payment;
  p.name = TextOf(rt, w.name).view();
  p.kind = SelectedItemOf(rt, w.kind).view();
  p.method = SelectedItemOf(rt, w.method).view();
  p.remark = TextOf(rt, w.remark).view();
  in.error = Check(rt, w, p);
  return in;
}

}  // namespace pcshop::app
