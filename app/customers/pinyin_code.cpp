// The two pure text functions of the customer window.

#include <cstdint>

#include "app/customers/customer_register.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// Where a DLL call that took the wrong number of words is reported.
constexpr calls::Site kTrimBlanksSite{51, 0};
constexpr int32_t kPinyinMode = 1;

}  // namespace

std::string MakePinyinCode(calls::Calls& rt, const char* name) {
  std::string code;
  const int32_t length = rt.TextLength(name);
  for (int32_t p = 1; p <= length;) {
    if (rt.CharCode(name, p) >= 0) {
      code.push_back(name[p - 1]);
      ++p;
      continue;
    }
    const calls::OwnedText character = rt.MidText(name, p, 2);
    const calls::OwnedText reading = rt.ConvertText(character.c_str(), kPinyinMode);
    // Whole characters only: a symbol read as itself gives no initial.
    const calls::OwnedText initial = rt.LeftText(reading.c_str(), 1);
    code.append(initial.view());
    p += 2;
  }
  return code;
}

calls::OwnedText TrimBlanks(calls::Calls& rt, const char* text) {
  // PathRemoveBlanksA trims in place: it works on a copy the runtime made.
  calls::OwnedText copy = rt.LeftText(text, rt.TextLength(text));
  if (!copy) return copy;
  (void)rt.Dll(rt.Id(sym::dll::kCommand11), {reinterpret_cast<uintptr_t>(copy.get())},
               kTrimBlanksSite);
  return copy;
}

}  // namespace pcshop::app
