#include "app/customers/name_box.h"

#include "app/customers/customer_controls.h"
#include "app/customers/customer_record.h"
#include "app/customers/customer_register.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// GBK trail bytes are never ASCII letters' partners here: a lead byte is
// 0x81 or above, so folding only A-Z leaves every double-byte character be.
bool StartsWith(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> NamesMatching(calls::Calls& rt, std::string_view typed) {
  SelectCustomerTable(rt);
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  std::vector<std::string> out;
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    if (!rt.GoToRecord(n)) continue;
    std::string name(rt.ReadFieldText(names.name, {}).view());
    if (name.empty()) continue;
    if (typed.empty() || StartsWith(name, typed) ||
        StartsWith(rt.ReadFieldText(names.pinyin, {}).view(), typed) ||
        StartsWith(rt.ReadFieldText(names.phone, {}).view(), typed)) {
      out.push_back(std::move(name));
    }
  }
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
