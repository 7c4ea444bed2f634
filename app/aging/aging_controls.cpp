#include "app/aging/aging_controls.h"

#include "image/app_symbols.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

constexpr int32_t kPayableIndex = 1;

}  // namespace

AgingWindow Aging(calls::Calls& rt) {
  namespace c = sym::control::aging;
  namespace type = image::type_id;
  const uint32_t w = rt.Id(sym::window::kAging);
  auto ref = [&](uint32_t control, uint32_t type_id) {
    return ControlRef{w, rt.Id(control), type_id};
  };
  return {ref(c::组合框类型, type::kComboBox), ref(c::透明标签说明, type::kLabel),
          ref(c::超级列表框账龄, type::kListView), ref(c::通用对话框1, type::kCommonDialog)};
}

AgingSide ChosenSide(calls::Calls& rt, const AgingWindow& w) {
  return IndexOf(rt, w.side) == kPayableIndex ? AgingSide::kPayable : AgingSide::kReceivable;
}

}  // namespace pcshop::app
