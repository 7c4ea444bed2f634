// CSV as spreadsheet programs write it: RFC 4180 quoting, any line end, the
// separator (comma, semicolon or tab) taken from the first line.

#include <array>

#include "runtime/xlsbridge/sheet_reader.h"

namespace pcshop::xlsbridge {
namespace {

char Separator(std::string_view text) {
  const std::string_view first = text.substr(0, text.find_first_of("\r\n"));
  constexpr std::array<char, 3> kCandidates = {',', '\t', ';'};
  char best = ',';
  size_t most = 0;
  for (const char c : kCandidates) {
    size_t count = 0;
    bool quoted = false;
    for (const char f : first) {
      if (f == '"') quoted = !quoted;
      if (!quoted && f == c) ++count;
    }
    if (count > most) most = count, best = c;
  }
  return best;
}

}  // namespace

Result<SheetData> ReadCsv(std::string_view bytes, TextEncoding encoding) {
  Result<DecodedText> decoded = DecodeText(bytes, encoding);
  if (!decoded.ok()) return decoded.status();
  const std::string_view text = decoded->utf8;
  SheetData data;
  data.kind = SheetFileKind::kCsv;
  data.encoding = decoded->encoding;
  data.sheet_names = {"CSV"};
  const char separator = Separator(text);
  std::vector<std::string> cells(1);
  int32_t number = 1;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        cells.back() += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      cells.emplace_back();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (Status s = AddUtf8Row(data, number++, std::move(cells)); !s.ok()) return s;
      cells.assign(1, std::string());
    } else {
      cells.back() += c;
    }
  }
  if (quoted) {
    return Status::InvalidArgument("CSV文件第" + std::to_string(number) +
                                   "行的引号没有结束，文件可能不完整。");
  }
  if (Status s = AddUtf8Row(data, number, std::move(cells)); !s.ok()) return s;
  return data;
}

}  // namespace pcshop::xlsbridge
