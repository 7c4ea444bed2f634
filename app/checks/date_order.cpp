#include "app/checks/date_order.h"

#include <string>

#include "app/checks/typed_values.h"

namespace pcshop::app {

std::optional<int32_t> DateOrder(calls::Calls& rt, std::string_view text) {
  const std::optional<std::string> date = CanonicalDate(rt, text);
  if (!date) return std::nullopt;
  // The canonical form is three runs of digits between the marks.
  int32_t parts[3] = {0, 0, 0};
  size_t part = 0;
  bool in_digits = false;
  for (const char c : *date) {
    if (c >= '0' && c <= '9') {
      if (part < 3) parts[part] = parts[part] * 10 + (c - '0');
      in_digits = true;
    } else if (in_digits) {
      ++part;
      in_digits = false;
    }
  }
  return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

}  // namespace pcshop::app
