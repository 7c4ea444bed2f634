// 店铺信息: a small modal window over the quote window, so that the quote
// being built stays as it is (moving between the main windows closes the
// quote window and starts its sheet anew). 保存 writes the shop's details
// after a confirmation; 返回 closes the window.

#include <string>

#include "app/app_calls.h"
#include "app/catalogue/entry_panel.h"
#include "app/routines.h"
#include "app/shop/shop_table.h"
#include "image/app_symbols.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

struct ShopBoxes {
  ControlRef name;     // 编辑框店名
  ControlRef address;  // 编辑框地址
  ControlRef phone;    // 编辑框电话
};

ShopBoxes Boxes(calls::Calls& rt) {
  namespace c = sym::control::shop;
  const uint32_t w = rt.Id(sym::window::kShop);
  auto box = [&](uint32_t control) {
    return ControlRef{w, rt.Id(control), image::type_id::kEditBox};
  };
  return {box(c::编辑框店名), box(c::编辑框地址), box(c::编辑框电话)};
}

void Say(calls::Calls& rt, uint32_t text) {
  (void)rt.MessageBox(rt.ConstText(text), 0);
}

bool ShopTableUsableOrSay(calls::Calls& rt) {
  if (ShopTableUsable(rt)) return true;
  const std::string text = std::string(rt.ConstText(t::kShopTable)) +
                           rt.ConstText(t::kTableExtension) + rt.ConstText(t::kTableUnusable);
  (void)rt.MessageBox(text.c_str(), 0);
  return false;
}

}  // namespace

void OpenShopWindow(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  // Returns once the window is closed.
  (void)rt.LoadWindow(rt.Id(sym::window::kShop), true);
}

void OnShopWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  // The data folder may have lost the table since the start.
  PrepareShopTable(rt);
  if (!ShopTableUsableOrSay(rt)) return;
  const ShopInfo shop = ReadShopInfo(rt);
  const ShopBoxes boxes = Boxes(rt);
  SetTextOf(rt, boxes.name, shop.name.c_str());
  SetTextOf(rt, boxes.address, shop.address.c_str());
  SetTextOf(rt, boxes.phone, shop.phone.c_str());
}

void SaveShopInfo(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  PrepareShopTable(rt);
  if (!ShopTableUsableOrSay(rt)) return;
  const ShopBoxes boxes = Boxes(rt);
  ShopInfo shop;
  shop.name = TextOf(rt, boxes.name).view();
  shop.address = TextOf(rt, boxes.address).view();
  shop.phone = TextOf(rt, boxes.phone).view();
  if (shop == ReadShopInfo(rt)) return Say(rt, t::kSameAsBefore);
  const std::string ask =
      rt.ConstText(t::kSavingShopInfo) + shop.name + rt.ConstText(t::kLineAddress) + shop.address +
      rt.ConstText(t::kLinePhone) + shop.phone + rt.ConstText(t::kConfirmSaveEnd);
  if (rt.MessageBox(ask.c_str(), 1) != 0) return;
  Say(rt, WriteShopInfo(rt, shop) ? t::kSaveSucceeded : t::kSaveFailed);
}

void CloseShopWindow(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  rt.UnloadWindow(rt.Id(sym::window::kShop));
}

}  // namespace pcshop::app
