#include "app/stock/stock_controls.h"

#include "image/app_symbols.h"
#include "image/property_numbers.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

namespace type = image::type_id;

// Both windows name their controls alike; only the symbol namespace differs.
#define PCSHOP_STOCK_WINDOW(ns, window_key, stock_side)                                   \
  [&] {                                                                                   \
    namespace c = sym::control::ns;                                                       \
    const uint32_t w = rt.Id(window_key);                                                 \
    auto ref = [&](uint32_t control, uint32_t type_id) {                                  \
      return ControlRef{w, rt.Id(control), type_id};                                      \
    };                                                                                    \
    StockWindow made;                                                                     \
    made.side = stock_side;                                                                  \
    made.window = w;                                                                       \
    made.panel = {false,                                                                   \
               ref(c::组合框品名, type::kComboBox),                                       \
               ref(c::组合框品牌, type::kComboBox),                                       \
               ref(c::组合框型号, type::kComboBox),                                       \
               ref(c::编辑框价格, type::kEditBox),                                        \
               ref(c::编辑框备注, type::kEditBox)};                                       \
    made.quantity = ref(c::编辑框数量, type::kEditBox);                                      \
    made.amount = ref(c::编辑框金额, type::kEditBox);                                        \
    made.date = ref(c::编辑框日期, type::kEditBox);                                          \
    made.on_hand = ref(c::透明标签库存, type::kLabel);                                       \
    made.counterparty = ref(c::组合框往来, type::kComboBox);                                 \
    made.paid = ref(c::编辑框实付, type::kEditBox);                                          \
    made.list = ref(c::超级列表框商品信息, type::kListView);                                 \
    made.query = ref(c::组合框商品查询类别, type::kComboBox);                                \
    made.dialog = ref(c::通用对话框1, type::kCommonDialog);                                  \
    made.search = ref(c::编辑框查找商品, type::kEditBox);                                    \
    return made;                                                                          \
  }()

}  // namespace

StockWindow StockInWindow(calls::Calls& rt) {
  return PCSHOP_STOCK_WINDOW(stock_in, sym::window::kStockIn, StockSide::kIn);
}

StockWindow StockOutWindow(calls::Calls& rt) {
  StockWindow s = PCSHOP_STOCK_WINDOW(stock_out, sym::window::kStockOut, StockSide::kOut);
  s.config = {s.window, rt.Id(sym::control::stock_out::组合框配置名), type::kComboBox};
  return s;
}

#undef PCSHOP_STOCK_WINDOW

StockWindow OpenStockWindow(calls::Calls& rt) {
  // One window is open at a time; a control of a window that is not loaded
  // reads as not visible.
  StockWindow in = StockInWindow(rt);
  if (rt.GetProperty(in.window, in.list.control, image::property::kVisible) != 0) return in;
  return StockOutWindow(rt);
}

}  // namespace pcshop::app
