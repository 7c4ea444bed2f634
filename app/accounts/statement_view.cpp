#include "app/accounts/statement_view.h"

#include <algorithm>
#include <array>

#include "app/checks/day_number.h"
#include "app/checks/typed_values.h"
#include "app/customers/customer_record.h"
#include "app/customers/name_box.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;
namespace col = statement_column;

// A box's date: canonical, "" for an empty box, nothing (said) when the
// text is not a date.
std::optional<std::string> BoxDate(calls::Calls& rt, const ControlRef& box) {
  const calls::OwnedText text = TextOf(rt, box);
  if (text.view().empty()) return std::string();
  std::optional<std::string> date = CanonicalDate(rt, text.view());
  if (!date) rt.MessageBox(rt.ConstText(t::kDateNotDate), 0);
  return date;
}

std::string Money(int64_t v) { return std::to_string(v); }
std::string MoneyOrBlank(int64_t v) { return v == 0 ? std::string() : std::to_string(v); }

void AddRow(calls::Calls& rt, const calls::ValueTriple& list,
            const std::array<std::string, col::kCount>& cells) {
  const int32_t row = rt.InsertListRow(list, -1);
  for (int32_t c = 0; c < col::kCount; ++c) {
    (void)rt.SetListCell(list, row, c, cells[static_cast<size_t>(c)].c_str());
  }
}

// "300（应收 500，应付 200）"
std::string Parts(calls::Calls& rt, int64_t receivable, int64_t payable) {
  return Money(receivable - payable) + rt.ConstText(t::kStatementReceivablePart) +
         Money(receivable) + rt.ConstText(t::kStatementPayablePart) + Money(payable) +
         rt.ConstText(t::kBalanceClose);
}

std::string Period(calls::Calls& rt, const ShownStatement& s) {
  return std::string(rt.ConstText(t::kStatementLinePeriod)) +
         (s.from.empty() ? std::string(rt.ConstText(t::kStatementFromStart)) : s.from) +
         rt.ConstText(t::kStatementTo) + s.to;
}

std::string Forward(calls::Calls& rt, const Statement& s) {
  return rt.ConstText(t::kStatementLineForward) +
         Parts(rt, s.forward_receivable, s.forward_payable);
}

std::string Closing(calls::Calls& rt, const Statement& s) {
  return rt.ConstText(t::kStatementLineClosing) +
         Parts(rt, s.closing_receivable, s.closing_payable);
}

void Show(calls::Calls& rt, const AccountsWindow& w, const ShownStatement& shown) {
  const calls::ValueTriple list = ObjectOf(w.statement);
  rt.ClearList(list);
  const Statement& s = shown.statement;
  AddRow(rt, list, {"", shown.from, rt.ConstText(t::kStatementForward), "", "", "", "",
                    Money(s.forward())});
  int64_t sold = 0, received = 0, bought = 0, paid = 0;
  int32_t number = 0;
  for (const StatementLine& l : s.lines) {
    AddRow(rt, list, {std::to_string(++number), l.date, l.summary, MoneyOrBlank(l.sold),
                      MoneyOrBlank(l.received), MoneyOrBlank(l.bought), MoneyOrBlank(l.paid),
                      Money(l.balance)});
    sold += l.sold;
    received += l.received;
    bought += l.bought;
    paid += l.paid;
  }
  AddRow(rt, list, {"", shown.to, rt.ConstText(t::kStatementClosing), Money(sold),
                    Money(received), Money(bought), Money(paid), Money(s.closing())});
  const std::string gap = rt.ConstText(t::kStatementGap);
  const std::string title = rt.ConstText(t::kStatementTitleLabel) + shown.name + gap +
                            Period(rt, shown) + gap + Forward(rt, s) + gap + Closing(rt, s);
  SetTextOf(rt, w.statement_title, title.c_str());
}

void Clear(calls::Calls& rt, const AccountsWindow& w) {
  rt.ClearList(ObjectOf(w.statement));
  SetTextOf(rt, w.statement_title, "");
}

}  // namespace

std::optional<ShownStatement> MakeStatement(calls::Calls& rt, const AccountsWindow& w) {
  ShownStatement shown;
  shown.name = TextOf(rt, w.name).view();
  auto refuse = [&](const char* message) -> std::optional<ShownStatement> {
    Clear(rt, w);
    if (message != nullptr) rt.MessageBox(message, 0);
    return std::nullopt;
  };
  if (shown.name.empty()) return refuse(rt.ConstText(t::kChooseAccountName));
  const std::optional<OpeningBalances> opening = OpeningBalancesOf(rt, shown.name.c_str());
  if (!opening) return refuse(NameNotInRegisterText(rt, shown.name).c_str());
  const std::optional<std::string> from = BoxDate(rt, w.from);
  if (!from) return refuse(nullptr);
  const std::optional<std::string> to = BoxDate(rt, w.to);
  if (!to) return refuse(nullptr);
  shown.from = *from;
  shown.to = to->empty() ? Today(rt) : *to;
  StatementRange range;
  range.from = shown.from.empty() ? 0 : DateOrder(rt, shown.from).value_or(0);
  range.to = DateOrder(rt, shown.to).value_or(0);
  if (range.from > range.to) return refuse(rt.ConstText(t::kStatementFromAfterTo));
  std::optional<Statement> statement = StatementOf(rt, shown.name, *opening, range);
  if (!statement) return refuse(rt.ConstText(t::kStatementUnreadable));
  shown.statement = std::move(*statement);
  Show(rt, w, shown);
  return shown;
}

SheetContent StatementContent(calls::Calls& rt, const AccountsWindow& w, const ShownStatement& s) {
  SheetContent content = ListContent(rt, ObjectOf(w.statement), rt.ConstText(t::kStatementTitle));
  content.lines.push_back(rt.ConstText(t::kStatementLineName) + s.name);
  content.lines.push_back(Period(rt, s));
  content.lines.push_back(Forward(rt, s.statement));
  content.lines.push_back(Closing(rt, s.statement));
  if (!content.rows.empty()) content.rows.back().total = true;
  // On paper the narrow list columns would break 序号 and the dates, and the
  // wide 摘要 would take their room.
  if (content.columns.size() == col::kCount) {
    content.columns[col::kNumber].width = std::max(content.columns[col::kNumber].width, 70);
    content.columns[col::kDate].width = std::max(content.columns[col::kDate].width, 230);
    content.columns[col::kSummary].width = std::min(content.columns[col::kSummary].width, 300);
  }
  content.footer.push_back(rt.ConstText(t::kStatementFooter));
  return content;
}

std::string StatementFileStem(calls::Calls& rt, const ShownStatement& s) {
  return rt.ConstText(t::kStatementTitle) + std::string(rt.ConstText(t::kUnderscore)) + s.name;
}

}  // namespace pcshop::app
