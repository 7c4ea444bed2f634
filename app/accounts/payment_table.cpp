#include "app/accounts/payment_table.h"

#include "app/backup/backups.h"
#include "app/quote/config_table.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

constexpr int32_t kFieldWidth = 20;
constexpr int32_t kRemarkWidth = 40;

std::string PaymentTablePath(calls::Calls& rt) {
  const calls::OwnedText folder = rt.ProgramFolder();
  return std::string(folder.view()) + rt.ConstText(t::kTablePathPayments);
}

}  // namespace

std::vector<calls::FieldRecord> PaymentFields(calls::Calls& rt) {
  return {
      {rt.ConstText(t::kFieldDate), kTextField, kFieldWidth},
      {rt.ConstText(t::kFieldName), kTextField, kFieldWidth},
      {rt.ConstText(t::kFieldPaymentKind), kTextField, kFieldWidth},
      {rt.ConstText(t::kFieldAmount), kIntegerField, kFieldWidth},
      {rt.ConstText(t::kFieldMethod), kTextField, kFieldWidth},
      {rt.ConstText(t::kFieldRemark), kTextField, kRemarkWidth},
  };
}

void OpenPaymentTable(calls::Calls& rt) {
  const std::string path = PaymentTablePath(rt);
  if (!rt.FileExists(path.c_str())) {
    const std::vector<calls::FieldRecord> fields = PaymentFields(rt);
    (void)rt.CreateTable(path.c_str(), fields);
  }
  (void)rt.OpenTable(path.c_str(), rt.ConstText(t::kPaymentsTable));
}

bool PaymentTableUsable(calls::Calls& rt) {
  const std::string path = PaymentTablePath(rt);
  return UpgradeKeepingCopy(rt, path.c_str(), PaymentFields(rt));
}

void SelectPaymentTable(calls::Calls& rt) {
  (void)rt.SelectTable(rt.ConstText(t::kPaymentsTable));
  (void)rt.GoFirst();
}

Payment ReadPayment(calls::Calls& rt) {
  Payment p;
  p.date = rt.ReadFieldText(rt.ConstText(t::kFieldDate), {}).view();
  p.name = rt.ReadFieldText(rt.ConstText(t::kFieldName), {}).view();
  p.kind = rt.ReadFieldText(rt.ConstText(t::kFieldPaymentKind), {}).view();
  p.amount = rt.ReadFieldInt(rt.ConstText(t::kFieldAmount), {});
  p.method = rt.ReadFieldText(rt.ConstText(t::kFieldMethod), {}).view();
  p.remark = rt.ReadFieldText(rt.ConstText(t::kFieldRemark), {}).view();
  return p;
}

std::vector<calls::ValueTriple> PaymentValues(calls::Calls& rt, const Payment& p) {
  return {rt.Arg(p.date.c_str()), rt.Arg(p.name.c_str()),   rt.Arg(p.kind.c_str()),
          calls::Int(p.amount),   rt.Arg(p.method.c_str()), rt.Arg(p.remark.c_str())};
}

}  // namespace pcshop::app
