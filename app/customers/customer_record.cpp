#include "app/customers/customer_record.h"

#include <cstring>

#include "app/accounts/balances.h"
#include "image/app_symbols.h"

namespace pcshop::app {

CustomerFieldNames CustomerFieldNamesOf(calls::Calls& rt) {
  namespace t = sym::text;
  return {rt.ConstText(t::kFieldName),     rt.ConstText(t::kFieldPinyinCode),
          rt.ConstText(t::kFieldCategory), rt.ConstText(t::kFieldUnit),
          rt.ConstText(t::kFieldPhone),    rt.ConstText(t::kFieldReceivable),
          rt.ConstText(t::kFieldPayable),  rt.ConstText(t::kFieldRemark),
          rt.ConstText(t::kFieldDate)};
}

void SelectCustomerTable(calls::Calls& rt) {
  (void)rt.SelectTable(rt.ConstText(sym::text::kCustomerTable));
  (void)rt.GoFirst();
}

std::optional<OpeningBalances> OpeningBalancesOf(calls::Calls& rt, const char* name) {
  SelectCustomerTable(rt);
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  const bool found = rt.FindRecord([&] {
    const calls::OwnedText value = rt.ReadFieldText(names.name, {});
    return std::strcmp(value.c_str(), name) == 0;
  });
  if (!found) return std::nullopt;
  return OpeningBalances{rt.ReadFieldInt(names.receivable, {}),
                         rt.ReadFieldInt(names.payable, {})};
}

std::vector<std::string> CustomerNames(calls::Calls& rt) {
  SelectCustomerTable(rt);
  const char* field = rt.ConstText(sym::text::kFieldName);
  std::vector<std::string> out;
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    if (rt.GoToRecord(n)) out.emplace_back(rt.ReadFieldText(field, {}).view());
  }
  return out;
}

void AppendCustomerRow(calls::Calls& rt, const calls::ValueTriple& list,
                       const CustomerFieldNames& names, int32_t number,
                       const Balances& balances) {
  const int32_t row = rt.InsertListRow(list, -1);
  const calls::OwnedText first = rt.ToText(number != kNumberByRowCount ? number : row + 1);
  (void)rt.SetListCell(list, row, 0, first.c_str());
  int32_t column = 1;
  auto text = [&](const char* field) {
    const calls::OwnedText value = rt.ReadFieldText(field, {});
    (void)rt.SetListCell(list, row, column++, value.c_str());
  };
  auto amount = [&](int64_t value) {
    const calls::OwnedText shown = rt.ToText(value);
    (void)rt.SetListCell(list, row, column++, balances.known() ? shown.c_str() : "");
  };
  const calls::OwnedText name = rt.ReadFieldText(names.name, {});
  text(names.name);
  text(names.pinyin);
  text(names.category);
  text(names.unit);
  text(names.phone);
  const Balance balance = BalanceOf(rt.ReadFieldInt(names.receivable, {}),
                                    rt.ReadFieldInt(names.payable, {}),
                                    balances.FlowsOf(name.view()));
  amount(balance.receivable);
  amount(balance.payable);
  text(names.remark);
  text(names.date);
}

}  // namespace pcshop::app
