#pragma once
// What the accounts window shows of its name: the balances line and the
// list of the name's payments.

#include <string>

#include "app/accounts/accounts_controls.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Shows the balances and payments of `name`; false, with both emptied, when
// the register has no such name.
bool ShowAccountOf(calls::Calls& rt, const AccountsWindow& w, const std::string& name);

}  // namespace pcshop::app
