#pragma once
// The statement of account in the accounts window: made from the name box
// and the 从 / 到 boxes, shown in its own list under a line that says whose
// it is, over which dates, and its forward and closing balances; and as the
// content of its document and workbook.

#include <optional>
#include <string>

#include "app/accounts/accounts_controls.h"
#include "app/accounts/statement.h"
#include "app/export/sheet_content.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// A statement as the window made it.
struct ShownStatement {
  std::string name;
  std::string from;  // canonical date; empty: from the first record
  std::string to;    // canonical date; today when the box was empty
  Statement statement;
};

// Reads the boxes and says what is wrong (no name, a name the register
// lacks, a date that is not one, 从 after 到, a table that cannot be read),
// emptying the statement list; else shows the statement and returns it.
std::optional<ShownStatement> MakeStatement(calls::Calls& rt, const AccountsWindow& w);

// The shown statement as a document and workbook: its lines, the list's
// columns and rows, the closing row as the totals row, the footer.
SheetContent StatementContent(calls::Calls& rt, const AccountsWindow& w, const ShownStatement& s);

// 对账单_<name>, the stem of the statement's files.
std::string StatementFileStem(calls::Calls& rt, const ShownStatement& s);

}  // namespace pcshop::app
