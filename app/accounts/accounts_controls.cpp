#include "app/accounts/accounts_controls.h"

#include <cstring>

#include "image/app_symbols.h"
#include "image/type_ids.h"

namespace pcshop::app {

AccountsWindow Accounts(calls::Calls& rt) {
  namespace c = sym::control::accounts;
  namespace type = image::type_id;
  const uint32_t w = rt.Id(sym::window::kAccounts);
  auto ref = [&](uint32_t control, uint32_t type_id) {
    return ControlRef{w, rt.Id(control), type_id};
  };
  return {w,
          ref(c::组合框姓名, type::kComboBox),
          ref(c::透明标签余额, type::kLabel),
          ref(c::编辑框日期, type::kEditBox),
          ref(c::组合框类型, type::kComboBox),
          ref(c::编辑框金额, type::kEditBox),
          ref(c::组合框方式, type::kComboBox),
          ref(c::编辑框备注, type::kEditBox),
          ref(c::超级列表框收付款, type::kListView),
          ref(c::编辑框从, type::kEditBox),
          ref(c::编辑框到, type::kEditBox),
          ref(c::透明标签对账单, type::kLabel),
          ref(c::超级列表框对账单, type::kListView),
          ref(c::通用对话框1, type::kCommonDialog)};
}

void ChooseItemByText(calls::Calls& rt, const ControlRef& c, const char* text) {
  const calls::ValueTriple box = ObjectOf(c);
  const int32_t count = rt.GetComboCount(box);
  for (int32_t i = 0; i < count; ++i) {
    const calls::OwnedText item = rt.GetComboItem(box, i);
    if (std::strcmp(item.c_str(), text) == 0) return SetIndexOf(rt, c, i);
  }
  SetIndexOf(rt, c, -1);
}

}  // namespace pcshop::app
