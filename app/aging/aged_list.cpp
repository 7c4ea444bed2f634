#include "app/aging/aged_list.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "app/accounts/balances.h"
#include "app/checks/day_number.h"
#include "app/customers/customer_record.h"
#include "app/stock/stock_tables.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// One name's sums on the chosen side.
struct NameFlows {
  int64_t credited = 0;  // Σ 收款 or Σ 付款
  // Per date text: Σ 金额 − Σ paid of that day's movements.
  std::unordered_map<std::string, int64_t> unpaid_by_date;
};

using FlowsByName = std::unordered_map<std::string, NameFlows>;

// Σ 收款 or Σ 付款 per name, as the balances sum them.
bool AddPayments(calls::Calls& rt, AgingSide side, FlowsByName& flows) {
  std::unordered_map<std::string, AccountFlows> payments;
  if (!AddPaymentSums(rt, payments)) return false;
  for (const auto& [name, f] : payments) {
    const int64_t credited = side == AgingSide::kReceivable ? f.received : f.paid;
    if (credited != 0) flows[name].credited += credited;
  }
  return true;
}

// Two grouped sums by counterparty and date; walk-in movements (no name)
// owe nothing.
bool AddMovements(calls::Calls& rt, AgingSide side, FlowsByName& flows) {
  const StockSide stock = side == AgingSide::kReceivable ? StockSide::kOut : StockSide::kIn;
  if (!rt.SelectTable(rt.ConstText(StockTableAlias(stock)))) return false;
  const std::array<const char*, 2> keys = {rt.ConstText(CounterpartyField(stock)),
                                           rt.ConstText(t::kFieldDate)};
  const auto amounts = rt.SumGrouped(rt.ConstText(t::kFieldAmount), keys);
  const auto paid = rt.SumGrouped(rt.ConstText(PaidField(stock)), keys);
  if (!amounts || !paid) return false;
  auto add = [&](const std::vector<calls::KeyedSum>& sums, int64_t sign) {
    for (const calls::KeyedSum& g : sums) {
      if (g.keys.size() != keys.size() || g.keys[0].empty()) continue;
      flows[g.keys[0]].unpaid_by_date[g.keys[1]] += sign * g.sum;
    }
  };
  add(*amounts, 1);
  add(*paid, -1);
  return true;
}

// Dates repeat across names: each text is read once.
class DayCache {
 public:
  explicit DayCache(calls::Calls& rt) : rt_(rt) {}
  std::optional<int64_t> Of(const std::string& text) {
    const auto it = days_.find(text);
    if (it != days_.end()) return it->second;
    return days_.emplace(text, DayNumber(rt_, text)).first->second;
  }

 private:
  calls::Calls& rt_;
  std::unordered_map<std::string, std::optional<int64_t>> days_;
};

AgedRow AgeOf(std::string name, std::string phone, int64_t opening, const NameFlows& flows,
              DayCache& days, int64_t today) {
  AgedRow row{std::move(name), std::move(phone), opening - flows.credited, {}, {}};
  std::vector<DayDebt> debts;
  debts.reserve(flows.unpaid_by_date.size());
  for (const auto& [date, unpaid] : flows.unpaid_by_date) {
    row.balance += unpaid;
    debts.push_back({days.Of(date), unpaid});
  }
  row.ages = AgeBalance(row.balance, std::move(debts), today);
  if (row.ages.oldest_day) {
    for (const auto& [date, unpaid] : flows.unpaid_by_date) {
      if (days.Of(date) == row.ages.oldest_day) {
        row.oldest_date = date;
        break;
      }
    }
  }
  return row;
}

}  // namespace

AgedList LoadAgedList(calls::Calls& rt, AgingSide side, int64_t today) {
  AgedList list;
  const calls::OwnedText current = rt.CurrentTableName();
  FlowsByName flows;
  list.known = AddPayments(rt, side, flows) && AddMovements(rt, side, flows);
  if (list.known) {
    DayCache days(rt);
    const NameFlows none;
    std::vector<AgedRow> rows;
    auto keep = [&](AgedRow row) {
      if (row.balance != 0) rows.push_back(std::move(row));
    };
    SelectCustomerTable(rt);
    const CustomerFieldNames names = CustomerFieldNamesOf(rt);
    const char* opening_field =
        side == AgingSide::kReceivable ? names.receivable : names.payable;
    const int32_t count = rt.RecordCount();
    for (int32_t n = 1; n <= count; ++n) {
      if (!rt.GoToRecord(n)) continue;
      std::string name(rt.ReadFieldText(names.name, {}).view());
      std::string phone(rt.ReadFieldText(names.phone, {}).view());
      const int64_t opening = rt.ReadFieldInt(opening_field, {});
      const auto it = flows.find(name);
      const NameFlows& own = it != flows.end() ? it->second : none;
      keep(AgeOf(std::move(name), std::move(phone), opening, own, days, today));
      if (it != flows.end()) flows.erase(it);
    }
    // What is left was sold to or paid by names deleted from the register.
    std::vector<std::string> lost;
    for (const auto& [name, f] : flows) lost.push_back(name);
    std::sort(lost.begin(), lost.end());
    for (const std::string& name : lost) keep(AgeOf(name, {}, 0, flows[name], days, today));

    for (AgedRow& row : rows) (row.balance > 0 ? list.owing : list.ahead).push_back(std::move(row));
    std::stable_sort(list.owing.begin(), list.owing.end(),
                     [](const AgedRow& a, const AgedRow& b) { return a.balance > b.balance; });
    std::stable_sort(list.ahead.begin(), list.ahead.end(),
                     [](const AgedRow& a, const AgedRow& b) { return a.balance < b.balance; });
  }
  if (!current.view().empty()) (void)rt.SelectTable(current.c_str());
  return list;
}

}  // namespace pcshop::app
