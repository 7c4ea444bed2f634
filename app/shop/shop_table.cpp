#include "app/shop/shop_table.h"

#include "app/backup/backups.h"
#include "app/lists/side_table.h"
#include "app/quote/config_table.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// Byte widths as the window's boxes limit them.
constexpr int32_t kNameWidth = 40;
constexpr int32_t kAddressWidth = 80;
constexpr int32_t kPhoneWidth = 30;

std::string ShopTablePath(calls::Calls& rt) {
  const calls::OwnedText folder = rt.ProgramFolder();
  return std::string(folder.view()) + rt.ConstText(t::kTablePathShop);
}

SideTableSelected ShopTableSelected(calls::Calls& rt) {
  return {rt, ShopTablePath(rt), rt.ConstText(t::kShopTable), ShopFields(rt)};
}

}  // namespace

std::vector<calls::FieldRecord> ShopFields(calls::Calls& rt) {
  return {
      {rt.ConstText(t::kFieldShopName), kTextField, kNameWidth},
      {rt.ConstText(t::kFieldAddress), kTextField, kAddressWidth},
      {rt.ConstText(t::kFieldPhone), kTextField, kPhoneWidth},
  };
}

void PrepareShopTable(calls::Calls& rt) {
  const std::string path = ShopTablePath(rt);
  // On the server no file exists and creating a table that is there is
  // refused; the first read checks its layout.
  if (!rt.FileExists(path.c_str())) (void)rt.CreateTable(path.c_str(), ShopFields(rt));
}

bool ShopTableUsable(calls::Calls& rt) {
  const std::string path = ShopTablePath(rt);
  return UpgradeKeepingCopy(rt, path.c_str(), ShopFields(rt));
}

ShopInfo ReadShopInfo(calls::Calls& rt) {
  ShopInfo info;
  const SideTableSelected table = ShopTableSelected(rt);
  if (!table.ok() || rt.RecordCount() < 1 || !rt.GoToRecord(1)) return info;
  info.name = rt.ReadFieldText(rt.ConstText(t::kFieldShopName), {}).view();
  info.address = rt.ReadFieldText(rt.ConstText(t::kFieldAddress), {}).view();
  info.phone = rt.ReadFieldText(rt.ConstText(t::kFieldPhone), {}).view();
  return info;
}

bool WriteShopInfo(calls::Calls& rt, const ShopInfo& info) {
  const SideTableSelected table = ShopTableSelected(rt);
  if (!table.ok()) return false;
  const calls::ValueTriple values[] = {rt.Arg(info.name.c_str()), rt.Arg(info.address.c_str()),
                                       rt.Arg(info.phone.c_str())};
  const int32_t count = rt.RecordCount();
  if (count < 0) return false;
  if (count == 0) return rt.AppendRecord(values);
  return rt.GoToRecord(1) && rt.ModifyRecord(values);
}

}  // namespace pcshop::app
