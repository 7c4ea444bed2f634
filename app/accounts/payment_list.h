#pragma once
// The accounts window's list: the payments of one name in record order,
// numbered from 1; so the n-th row that looks like a payment is the n-th such
// record of the table, which is how a picked row finds its own record among
// identical-looking ones.

#include <cstdint>
#include <string>

#include "app/accounts/accounts_controls.h"
#include "app/accounts/payment_table.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Lists the payments of `name`. Makes the payments table current.
void ListPayments(calls::Calls& rt, const AccountsWindow& w, const std::string& name);

// The payment on list row `row`.
Payment PaymentOnRow(calls::Calls& rt, const AccountsWindow& w, int32_t row);

// The record number of the payment on the selected row, with the payments
// table current: 0 when no row is selected, -1 when the table no longer
// holds it.
int32_t PickedPaymentRecord(calls::Calls& rt, const AccountsWindow& w);

}  // namespace pcshop::app
