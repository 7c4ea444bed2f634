#include "app/customers/name_box.h"

#include "app/customers/customer_controls.h"
#include "app/customers/customer_record.h"
#include "app/customers/customer_register.h"
#include "app/search/search_indexes.h"
#include "image/app_symbols.h"

namespace pcshop::app {

std::vector<std::string> NamesMatching(calls::Calls& rt, std::string_view typed) {
  NameIndex& index = TheNameIndex(rt);
  index.Refresh(rt);
  std::vector<std::string> out;
  for (const NameEntry* e : index.Find(typed)) out.push_back(e->name);
  return out;
}

void FillMatchingNames(calls::Calls& rt, const ControlRef& box) {
  const calls::ValueTriple combo = ObjectOf(box);
  // Clearing the items must not clear what is typed.
  const calls::OwnedText typed = TextOf(rt, box);
  const std::string query(TrimBlanks(rt, typed.c_str()).view());
  rt.ClearCombo(combo);
  for (const std::string& name : NamesMatching(rt, query)) {
    (void)rt.AddComboItem(combo, name.c_str());
  }
  rt.SetComboText(combo, typed.c_str());
}

std::string NameNotInRegisterText(calls::Calls& rt, const std::string& name) {
  return std::string(rt.ConstText(sym::text::kNameNotInRegister)) + name +
         rt.ConstText(sym::text::kHowToAddName);
}

void OpenRegisterWithName(calls::Calls& rt, const std::string& name, uint32_t leaving) {
  (void)rt.LoadWindow(rt.Id(sym::window::kCustomer), false);
  const CustomerBoxes box = CustomerInputs(rt);
  SetTextOf(rt, box.name, name.c_str());
  // Set by the program, the name raises no change: the code follows here.
  SetTextOf(rt, box.pinyin, MakePinyinCode(rt, name.c_str()).c_str());
  rt.UnloadWindow(leaving);
}

}  // namespace pcshop::app
