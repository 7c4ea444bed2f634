#pragma once
// What the accounts window accepts as a payment: a name of the register, 收款
// or 付款, a positive whole amount that the tables can hold, a method, a real
// date. Each refusal comes with the message the user sees.

#include <string>

#include "app/accounts/accounts_controls.h"
#include "app/accounts/payment_table.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Whether the payments table can be used; when not (a file of another
// layout), a message names it and nothing may be written.
bool PaymentTableUsableOrSay(calls::Calls& rt);

// The inputs' payment, checked; `error` is set when it is refused.
struct PaymentInput {
  Payment payment;
  std::string error;  // GBK; empty when the payment is accepted
};
PaymentInput ReadPaymentInput(calls::Calls& rt, const AccountsWindow& w);

}  // namespace pcshop::app
