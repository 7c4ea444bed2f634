#pragma once
// The controls the catalogue routines work on, by window: the product entry
// panel that both the quote window and the product management window carry,
// and small typed accessors over GetProperty / SetProperty and the combo
// commands.

#include <cstdint>

#include "image/calls/calls.h"

namespace pcshop::app {

// One control: the ids of its window and of itself, and its type identifier.
struct ControlRef {
  uint32_t window = 0;
  uint32_t control = 0;
  uint32_t type = 0;
};

// The panel's five inputs, as one window holds them.
struct EntryPanel {
  bool product_window = false;
  ControlRef kind;    // 组合框品名
  ControlRef brand;   // 组合框品牌
  ControlRef model;   // 组合框型号
  ControlRef price;   // 编辑框价格
  ControlRef remark;  // 编辑框备注
};

EntryPanel QuotePanel(calls::Calls& rt);
EntryPanel ProductPanel(calls::Calls& rt);
// The panel of whichever of the two windows is open (routines bound in both).
EntryPanel OpenPanel(calls::Calls& rt);

// The product management window's own list and query box.
ControlRef ProductList(calls::Calls& rt);
ControlRef ProductQueryBox(calls::Calls& rt);

calls::ValueTriple ObjectOf(const ControlRef& c);
calls::OwnedText TextOf(calls::Calls& rt, const ControlRef& c);
void SetTextOf(calls::Calls& rt, const ControlRef& c, const char* text);
int32_t IndexOf(calls::Calls& rt, const ControlRef& c);
void SetIndexOf(calls::Calls& rt, const ControlRef& c, int32_t index);
// A combo box's item text at its current selection; "" when none.
calls::OwnedText SelectedItemOf(calls::Calls& rt, const ControlRef& c);

}  // namespace pcshop::app
