#include "bench/import/price_list.h"

#include <string>

#include "bench/support/table_seed.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/xlsbridge/workbook_files.h"

namespace pcshop::bench {
namespace {

std::string InGbk(const char* utf8) { return text::Utf8ToGbk(utf8).value(); }

}  // namespace

Status WritePriceList(const std::filesystem::path& path, int rows, int per_category) {
  xlsbridge::Workbook book(InGbk("报价"));
  (void)book.AddColumn(InGbk("品名"), xlsbridge::ColumnKind::kText);
  (void)book.AddColumn(InGbk("品牌"), xlsbridge::ColumnKind::kText);
  (void)book.AddColumn(InGbk("型号"), xlsbridge::ColumnKind::kText);
  (void)book.AddColumn(InGbk("单价"), xlsbridge::ColumnKind::kNumber);
  (void)book.AddColumn(InGbk("说明"), xlsbridge::ColumnKind::kText);
  for (int r = 0; r < rows; ++r) {
    const int c = r % 14;
    const int i = r / 14 + (r % 10 == 0 ? per_category : 0);
    const std::string price = r % 50 == 0 ? InGbk("询价") : std::to_string(900 + r % 300);
    (void)book.AddRow({InGbk(kCategories[c]), InGbk("七彩虹"),
                       "m" + std::to_string(c) + "-" + std::to_string(i), price, InGbk("白色")},
                      false);
  }
  return xlsbridge::WriteXlsx(book, path);
}

}  // namespace pcshop::bench
