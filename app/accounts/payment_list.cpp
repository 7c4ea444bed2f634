#include "app/accounts/payment_list.h"

#include "app/lists/row_record.h"

namespace pcshop::app {
namespace {

namespace col = payment_column;

void AppendRow(calls::Calls& rt, const calls::ValueTriple& list, const Payment& p) {
  const int32_t row = rt.InsertListRow(list, -1);
  const std::string cells[] = {std::to_string(row + 1), p.date, p.name, p.kind,
                               std::to_string(p.amount), p.method, p.remark};
  int32_t column = 0;
  for (const std::string& cell : cells) (void)rt.SetListCell(list, row, column++, cell.c_str());
}

}  // namespace

void ListPayments(calls::Calls& rt, const AccountsWindow& w, const std::string& name) {
  const calls::ValueTriple list = ObjectOf(w.list);
  rt.ClearList(list);
  SelectPaymentTable(rt);
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    if (!rt.GoToRecord(n)) continue;
    const Payment p = ReadPayment(rt);
    if (p.name == name) AppendRow(rt, list, p);
  }
}

Payment PaymentOnRow(calls::Calls& rt, const AccountsWindow& w, int32_t row) {
  const calls::ValueTriple list = ObjectOf(w.list);
  auto text = [&](int32_t column) { return std::string(rt.GetListCell(list, row, column).view()); };
  Payment p;
  p.date = text(col::kDate);
  p.name = text(col::kName);
  p.kind = text(col::kKind);
  const calls::OwnedText amount = rt.GetListCell(list, row, col::kAmount);
  p.amount = rt.TextToInt(amount.c_str());
  p.method = text(col::kMethod);
  p.remark = text(col::kRemark);
  return p;
}

int32_t PickedPaymentRecord(calls::Calls& rt, const AccountsWindow& w) {
  const int32_t row = IndexOf(rt, w.list);
  if (row < 0 || row >= rt.GetListRowCount(ObjectOf(w.list))) return 0;
  SelectPaymentTable(rt);
  return RecordOfRow(
      rt, row, [&](int32_t r) { return PaymentOnRow(rt, w, r); }, [&] { return ReadPayment(rt); });
}

}  // namespace pcshop::app
