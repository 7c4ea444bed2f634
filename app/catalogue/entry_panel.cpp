#include "app/catalogue/entry_panel.h"

#include "image/app_symbols.h"
#include "image/property_numbers.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

namespace type = image::type_id;
namespace prop = image::property;

ControlRef Ref(calls::Calls& rt, uint32_t window, uint32_t control, uint32_t type_id) {
  return {rt.Id(window), rt.Id(control), type_id};
}

}  // namespace

EntryPanel QuotePanel(calls::Calls& rt) {
  namespace c = sym::control::quote;
  const uint32_t w = sym::window::kQuote;
  return {false,
          Ref(rt, w, c::组合框品名, type::kComboBox),
          Ref(rt, w, c::组合框品牌, type::kComboBox),
          Ref(rt, w, c::组合框型号, type::kComboBox),
          Ref(rt, w, c::编辑框价格, type::kEditBox),
          Ref(rt, w, c::编辑框备注, type::kEditBox)};
}

EntryPanel ProductPanel(calls::Calls& rt) {
  namespace c = sym::control::product;
  const uint32_t w = sym::window::kProduct;
  return {true,
          Ref(rt, w, c::组合框品名, type::kComboBox),
          Ref(rt, w, c::组合框品牌, type::kComboBox),
          Ref(rt, w, c::组合框型号, type::kComboBox),
          Ref(rt, w, c::编辑框价格, type::kEditBox),
          Ref(rt, w, c::编辑框备注, type::kEditBox)};
}

EntryPanel OpenPanel(calls::Calls& rt) {
  // One window is open at a time; a control of a window that is not loaded
  // reads as not visible.
  EntryPanel product = ProductPanel(rt);
  if (rt.GetProperty(product.kind.window, product.kind.control, prop::kVisible) != 0) {
    return product;
  }
  return QuotePanel(rt);
}

ControlRef ProductList(calls::Calls& rt) {
  return Ref(rt, sym::window::kProduct, sym::control::product::超级列表框商品信息,
             type::kListView);
}

ControlRef ProductQueryBox(calls::Calls& rt) {
  return Ref(rt, sym::window::kProduct, sym::control::product::组合框商品查询类别,
             type::kComboBox);
}

calls::ValueTriple ObjectOf(const ControlRef& c) {
  return calls::Object(c.window, c.control, c.type);
}

calls::OwnedText TextOf(calls::Calls& rt, const ControlRef& c) {
  const uint64_t value = rt.GetProperty(c.window, c.control, prop::kText);
  return rt.TakeText(calls::Text(reinterpret_cast<const char*>(static_cast<uintptr_t>(value))));
}

void SetTextOf(calls::Calls& rt, const ControlRef& c, const char* text) {
  const char* safe = text != nullptr ? text : "";
  rt.SetProperty(c.window, c.control, prop::kText, reinterpret_cast<uintptr_t>(safe));
}

int32_t IndexOf(calls::Calls& rt, const ControlRef& c) {
  return static_cast<int32_t>(
      static_cast<uint32_t>(rt.GetProperty(c.window, c.control, prop::kCurrentIndex)));
}

void SetIndexOf(calls::Calls& rt, const ControlRef& c, int32_t index) {
  rt.SetProperty(c.window, c.control, prop::kCurrentIndex, static_cast<uint32_t>(index));
}

calls::OwnedText SelectedItemOf(calls::Calls& rt, const ControlRef& c) {
  const int32_t index = IndexOf(rt, c);
  if (index < 0) return {};
  return rt.GetComboItem(ObjectOf(c), index);
}

}  // namespace pcshop::app
