#include "app/import/price_list.h"

namespace pcshop::app {
namespace {

using image::SheetInfo;

// Closes the runtime's copy of the file whatever way the read ends.
class OpenSheet {
 public:
  OpenSheet(calls::Calls& rt, int32_t number) : rt_(rt), number_(number) {}
  OpenSheet(const OpenSheet&) = delete;
  OpenSheet& operator=(const OpenSheet&) = delete;
  ~OpenSheet() {
    if (number_ != 0) rt_.CloseSheetFile(number_);
  }
  int32_t number() const { return number_; }

 private:
  calls::Calls& rt_;
  int32_t number_;
};

std::string Text(const calls::OwnedText& t) { return std::string(t.view()); }

}  // namespace

PriceList ReadPriceList(calls::Calls& rt, const char* path, int32_t encoding, int32_t sheet,
                        std::string_view synonyms, std::string_view no_header) {
  PriceList list;
  const OpenSheet file(rt, rt.OpenSheetFile(path, encoding, sheet));
  const int32_t f = file.number();
  list.message = Text(rt.SheetFileMessage(f));
  if (f == 0 || !list.message.empty()) {
    if (list.message.empty()) list.message = std::string(no_header);
    return list;
  }
  list.encoding = rt.SheetFileInfo(f, SheetInfo::kEncoding);
  list.sheet = rt.SheetFileInfo(f, SheetInfo::kSheet);
  const int32_t sheets = rt.SheetFileInfo(f, SheetInfo::kSheets);
  for (int32_t i = 0; i < sheets; ++i) list.sheet_names.push_back(Text(rt.SheetName(f, i)));
  const int32_t count = rt.SheetFileInfo(f, SheetInfo::kRows);
  const int32_t columns = rt.SheetFileInfo(f, SheetInfo::kColumns);
  std::vector<ListRow> all;
  all.reserve(static_cast<size_t>(count));
  for (int32_t r = 0; r < count; ++r) {
    ListRow row;
    row.number = rt.SheetRowNumber(f, r);
    row.problem = Text(rt.SheetRowProblem(f, r));
    if (row.problem.empty()) {
      for (int32_t c = 0; c < columns; ++c) row.cells.push_back(Text(rt.SheetCell(f, r, c)));
    }
    all.push_back(std::move(row));
  }
  std::vector<std::vector<std::string>> leading;
  for (size_t r = 0; r < all.size() && r < kHeaderSearchRows; ++r) leading.push_back(all[r].cells);
  const HeaderFound header = FindHeaderRow(leading, synonyms);
  if (header.row < 0) {
    list.message = std::string(no_header);
    return list;
  }
  list.headers = all[static_cast<size_t>(header.row)].cells;
  list.map = header.map;
  all.erase(all.begin(), all.begin() + header.row + 1);
  list.rows = std::move(all);
  return list;
}

}  // namespace pcshop::app
