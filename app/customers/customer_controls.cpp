#include "app/customers/customer_controls.h"

#include "image/app_symbols.h"
#include "image/property_numbers.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

namespace c = sym::control::customer;
namespace type = image::type_id;

ControlRef Ref(calls::Calls& rt, uint32_t control, uint32_t type_id) {
  return {rt.Id(sym::window::kCustomer), rt.Id(control), type_id};
}

}  // namespace

CustomerBoxes CustomerInputs(calls::Calls& rt) {
  return {
      Ref(rt, c::编辑框客户姓名, type::kEditBox),  Ref(rt, c::编辑框客户拼音码, type::kEditBox),
      Ref(rt, c::组合框客户类别, type::kComboBox), Ref(rt, c::编辑框客户单位, type::kEditBox),
      Ref(rt, c::编辑框客户电话, type::kEditBox),  Ref(rt, c::编辑框客户应收, type::kEditBox),
      Ref(rt, c::编辑框客户应付, type::kEditBox),  Ref(rt, c::编辑框客户建档日期, type::kEditBox),
      Ref(rt, c::编辑框客户备注, type::kEditBox)};
}

ControlRef CustomerList(calls::Calls& rt) {
  return Ref(rt, c::超级列表框客户信息, type::kListView);
}

ControlRef CustomerQueryBox(calls::Calls& rt) {
  return Ref(rt, c::编辑框查询内容, type::kEditBox);
}

ControlRef CustomerDialog(calls::Calls& rt) {
  return Ref(rt, c::通用对话框1, type::kCommonDialog);
}

void SetEnabled(calls::Calls& rt, const ControlRef& c, bool enabled) {
  rt.SetProperty(c.window, c.control, image::property::kEnabled, enabled ? 1 : 0);
}

}  // namespace pcshop::app
