#include "app/export/list_html.h"

namespace pcshop::app {

std::string EscapeHtml(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size());
  for (const char c : gbk) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string_view WholeCharacters(std::string_view gbk) {
  size_t i = 0;
  while (i < gbk.size()) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte >= 0x81 && byte <= 0xFE) {
      if (i + 1 == gbk.size()) break;  // its trail byte was cut off
      i += 2;
    } else {
      ++i;
    }
  }
  return gbk.substr(0, i);
}

}  // namespace pcshop::app
