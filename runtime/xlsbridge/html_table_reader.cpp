// The program's own list export: an HTML table (.xls) whose cells are text
// between <td> or <th> and their end, with the few entities it escapes.

#include <algorithm>

#include "runtime/xlsbridge/sheet_reader.h"

namespace pcshop::xlsbridge {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return out;
}

void AppendCodePoint(std::string& out, uint32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// A cell's text: tags dropped, entities decoded, white space at either end
// trimmed (HTML does not show it).
std::string CellText(std::string_view html) {
  std::string out;
  for (size_t i = 0; i < html.size(); ++i) {
    const char c = html[i];
    if (c == '<') {
      const size_t end = html.find('>', i);
      if (end == std::string_view::npos) break;
      if (Lower(html.substr(i, 3)) == "<br") out += '\n';
      i = end;
    } else if (c == '&') {
      const size_t end = html.find(';', i);
      const std::string name = end == std::string_view::npos || end - i > 10
                                   ? std::string()
                                   : Lower(html.substr(i + 1, end - i - 1));
      if (name == "amp") {
        out += '&';
      } else if (name == "lt") {
        out += '<';
      } else if (name == "gt") {
        out += '>';
      } else if (name == "quot") {
        out += '"';
      } else if (name == "nbsp") {
        out += ' ';
      } else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        AppendCodePoint(out, static_cast<uint32_t>(
                                 std::strtoul(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10)));
      } else {
        out += c;
        continue;
      }
      i = end;
    } else {
      out += c;
    }
  }
  const size_t first = out.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
}

// The charset an HTML file declares, as an encoding to read it by.
TextEncoding DeclaredEncoding(std::string_view bytes) {
  const std::string head = Lower(bytes.substr(0, 4096));
  const size_t at = head.find("charset=");
  if (at == std::string::npos) return TextEncoding::kDetect;
  const std::string name = head.substr(at + 8, 8);
  if (name.starts_with("utf-8") || name.starts_with("utf8")) return TextEncoding::kUtf8;
  if (name.starts_with("gb")) return TextEncoding::kGb18030;
  return TextEncoding::kDetect;
}

}  // namespace

Result<SheetData> ReadHtmlTable(std::string_view bytes, TextEncoding encoding) {
  if (encoding == TextEncoding::kDetect) encoding = DeclaredEncoding(bytes);
  Result<DecodedText> decoded = DecodeText(bytes, encoding);
  if (!decoded.ok()) return decoded.status();
  const std::string& text = decoded->utf8;
  const std::string lower = Lower(text);
  SheetData data;
  data.kind = SheetFileKind::kHtml;
  data.encoding = decoded->encoding;
  data.sheet_names = {"HTML"};
  const size_t table = lower.find("<table");
  const size_t table_end = lower.find("</table", table);
  int32_t number = 0;
  for (size_t row = lower.find("<tr", table); row < table_end; row = lower.find("<tr", row + 3)) {
    const size_t row_end = std::min(lower.find("</tr", row), lower.find("<tr", row + 3));
    std::vector<std::string> cells;
    for (size_t cell = row; cell < row_end;) {
      const size_t td = lower.find("<td", cell);
      const size_t th = lower.find("<th", cell);
      const size_t open = std::min(td, th);
      if (open >= row_end) break;
      const size_t content = lower.find('>', open);
      if (content == std::string::npos) break;
      const size_t close = std::min({lower.find("</t", content), lower.find("<td", content),
                                     lower.find("<th", content), row_end});
      cells.push_back(CellText(std::string_view(text).substr(content + 1, close - content - 1)));
      cell = close;
    }
    if (Status s = AddUtf8Row(data, ++number, std::move(cells)); !s.ok()) return s;
    if (row_end == std::string::npos) break;
  }
  return data;
}

}  // namespace pcshop::xlsbridge
