// Keeping the inputs consistent: the unit box follows the category, a picked
// row fills the inputs, the pinyin box follows the name, and the query box
// loses its outer spaces.

#include <cstring>
#include <optional>
#include <string>

#include "app/app_calls.h"
#include "app/customers/customer_controls.h"
#include "app/customers/customer_record.h"
#include "app/customers/customer_register.h"
#include "app/routines.h"

namespace pcshop::app {
namespace {

constexpr int32_t kPersonIndex = 0;
constexpr int32_t kCompanyIndex = 1;

}  // namespace

void CategoryChanged(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const CustomerBoxes box = CustomerInputs(rt);
  if (IndexOf(rt, box.category) == kPersonIndex) {
    SetTextOf(rt, box.unit, "");
    SetEnabled(rt, box.unit, false);
  }
  if (IndexOf(rt, box.category) == kCompanyIndex) SetEnabled(rt, box.unit, true);
}

void ShowSelectedCustomer(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ControlRef list_ref = CustomerList(rt);
  const int32_t row = IndexOf(rt, list_ref);
  // No row is current: nothing to show, and the inputs keep what was typed.
  if (row < 0) return;
  const calls::ValueTriple list = ObjectOf(list_ref);
  const CustomerBoxes box = CustomerInputs(rt);
  auto cell = [&](int32_t column) { return rt.GetListCell(list, row, column); };
  SetTextOf(rt, box.name, cell(1).c_str());
  SetTextOf(rt, box.pinyin, cell(2).c_str());
  SetTextOf(rt, box.category, cell(3).c_str());
  const calls::OwnedText category = TextOf(rt, box.category);
  SetEnabled(rt, box.unit,
             std::strcmp(category.c_str(), rt.ConstText(sym::text::kKindPerson)) != 0);
  SetTextOf(rt, box.unit, cell(4).c_str());
  SetTextOf(rt, box.phone, cell(5).c_str());
  // The list shows current balances; the boxes edit the opening ones.
  const calls::OwnedText name = cell(1);
  const std::optional<OpeningBalances> opening = OpeningBalancesOf(rt, name.c_str());
  SetTextOf(rt, box.receivable, opening ? rt.ToText(opening->receivable).c_str() : "");
  SetTextOf(rt, box.payable, opening ? rt.ToText(opening->payable).c_str() : "");
  SetTextOf(rt, box.remark, cell(8).c_str());
  SetTextOf(rt, box.date, cell(9).c_str());
}

void UpdatePinyinCode(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const CustomerBoxes box = CustomerInputs(rt);
  const calls::OwnedText name = TextOf(rt, box.name);
  SetTextOf(rt, box.pinyin, MakePinyinCode(rt, name.c_str()).c_str());
}

void TrimQueryText(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ControlRef query = CustomerQueryBox(rt);
  const calls::OwnedText text = TextOf(rt, query);
  const calls::OwnedText trimmed = TrimBlanks(rt, text.c_str());
  SetTextOf(rt, query, trimmed.c_str());
}

}  // namespace pcshop::app
