#include "app/accounts/statement.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "app/checks/day_number.h"
#include "app/stock/stock_tables.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// One sale, purchase or payment with its date's order.
struct Entry {
  int32_t order = 0;
  StatementLine line;
};

int64_t Number(const std::string& text) {
  int64_t v = 0;
  (void)std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

// The side's movements of `name`: 日期, 品名, 品牌, 型号, 数量, 金额, paid.
bool AddMovements(calls::Calls& rt, StockSide side, const std::string& name,
                  std::vector<Entry>& entries) {
  if (!rt.SelectTable(rt.ConstText(StockTableAlias(side)))) return false;
  const std::array<const char*, 7> fields = {
      rt.ConstText(t::kFieldDate),     rt.ConstText(t::kFieldKind),  rt.ConstText(t::kFieldBrand),
      rt.ConstText(t::kFieldModel),    rt.ConstText(t::kFieldQuantity),
      rt.ConstText(t::kFieldAmount),   rt.ConstText(PaidField(side))};
  const auto rows = rt.ReadMatching(rt.ConstText(CounterpartyField(side)), name.c_str(), fields);
  if (!rows) return false;
  const bool sale = side == StockSide::kOut;
  const std::string space = rt.ConstText(t::kSpace);
  for (const calls::TextRow& r : *rows) {
    if (r.size() != fields.size()) return false;
    Entry e;
    e.order = DateOrder(rt, r[0]).value_or(0);
    e.line.date = r[0];
    e.line.summary = std::string(rt.ConstText(sale ? t::kStatementSale : t::kStatementPurchase)) +
                     r[1] + space + r[2] + space + r[3] + rt.ConstText(t::kStatementTimes) + r[4];
    (sale ? e.line.sold : e.line.bought) = Number(r[5]);
    (sale ? e.line.received : e.line.paid) = Number(r[6]);
    entries.push_back(std::move(e));
  }
  return true;
}

// The payments of `name`: 日期, 类型, 金额, 方式, 备注. A 类型 that is
// neither 收款 nor 付款 moves no balance (balances.cpp) and is left out.
bool AddPayments(calls::Calls& rt, const std::string& name, std::vector<Entry>& entries) {
  if (!rt.SelectTable(rt.ConstText(t::kPaymentsTable))) return false;
  const std::array<const char*, 5> fields = {
      rt.ConstText(t::kFieldDate), rt.ConstText(t::kFieldPaymentKind), rt.ConstText(t::kFieldAmount),
      rt.ConstText(t::kFieldMethod), rt.ConstText(t::kFieldRemark)};
  const auto rows = rt.ReadMatching(rt.ConstText(t::kFieldName), name.c_str(), fields);
  if (!rows) return false;
  const std::string_view received = rt.ConstText(t::kPaymentReceived);
  const std::string_view paid = rt.ConstText(t::kPaymentMade);
  const std::string space = rt.ConstText(t::kSpace);
  for (const calls::TextRow& r : *rows) {
    if (r.size() != fields.size()) return false;
    if (r[1] != received && r[1] != paid) continue;
    Entry e;
    e.order = DateOrder(rt, r[0]).value_or(0);
    e.line.date = r[0];
    e.line.summary = r[1] + space + r[3];
    if (!r[4].empty()) e.line.summary += space + r[4];
    (r[1] == received ? e.line.received : e.line.paid) = Number(r[2]);
    entries.push_back(std::move(e));
  }
  return true;
}

}  // namespace

std::optional<Statement> StatementOf(calls::Calls& rt, const std::string& name,
                                     const OpeningBalances& opening, const StatementRange& range) {
  std::vector<Entry> entries;
  const calls::OwnedText current = rt.CurrentTableName();
  const bool read = AddMovements(rt, StockSide::kOut, name, entries) &&
                    AddMovements(rt, StockSide::kIn, name, entries) &&
                    AddPayments(rt, name, entries);
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  if (!read) return std::nullopt;
  // Stable: on one date the order in which they were gathered stays.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.order < b.order; });

  Statement s;
  int64_t receivable = opening.receivable;
  int64_t payable = opening.payable;
  auto move = [&](const StatementLine& l) {
    receivable += l.sold - l.received;
    payable += l.bought - l.paid;
  };
  for (Entry& e : entries) {
    if (e.order > range.to) break;
    if (e.order < range.from) {
      move(e.line);
      continue;
    }
    if (s.lines.empty()) {
      s.forward_receivable = receivable;
      s.forward_payable = payable;
    }
    move(e.line);
    e.line.balance = receivable - payable;
    s.lines.push_back(std::move(e.line));
  }
  if (s.lines.empty()) {
    s.forward_receivable = receivable;
    s.forward_payable = payable;
  }
  s.closing_receivable = receivable;
  s.closing_payable = payable;
  return s;
}

}  // namespace pcshop::app
