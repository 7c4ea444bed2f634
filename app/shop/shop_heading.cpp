#include "app/shop/shop_heading.h"

#include <string>

#include "app/shop/shop_table.h"
#include "image/app_symbols.h"

namespace pcshop::app {

void AddShopHeading(calls::Calls& rt, int32_t document) {
  const ShopInfo shop = ReadShopInfo(rt);
  auto add = [&](const char* label, const std::string& value) {
    if (value.empty()) return;
    const std::string line = label + value;
    // A line the document refuses (one far beyond a page) is left out; the
    // rest of the document still prints.
    (void)rt.AddDocumentLine(document, line.c_str());
  };
  if (shop.empty()) return;
  add("", shop.name);
  add(rt.ConstText(sym::text::kShopLineAddress), shop.address);
  add(rt.ConstText(sym::text::kShopLinePhone), shop.phone);
  // An empty line sets the shop apart from the document's own lines.
  (void)rt.AddDocumentLine(document, "");
}

}  // namespace pcshop::app
