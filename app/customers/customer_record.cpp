#include "app/customers/customer_record.h"

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

void AppendCustomerRow(calls::Calls& rt, const calls::ValueTriple& list,
                       const CustomerFieldNames& names, int32_t number) {
  const int32_t row = rt.InsertListRow(list, -1);
  const calls::OwnedText first = rt.ToText(number != kNumberByRowCount ? number : row + 1);
  (void)rt.SetListCell(list, row, 0, first.c_str());
  int32_t column = 1;
  auto text = [&](const char* field) {
    const calls::OwnedText value = rt.ReadFieldText(field, {});
    (void)rt.SetListCell(list, row, column++, value.c_str());
  };
  auto amount = [&](const char* field) {
    const calls::OwnedText value = rt.ToText(rt.ReadFieldInt(field, {}));
    (void)rt.SetListCell(list, row, column++, value.c_str());
  };
  text(names.name);
  text(names.pinyin);
  text(names.category);
  text(names.unit);
  text(names.phone);
  amount(names.receivable);
  amount(names.payable);
  text(names.remark);
  text(names.date);
}

}  // namespace pcshop::app
