// Writes seeds for sheet_reader_fuzz into the folder given as argument: a
// workbook written by libxlsxwriter, CSV in each encoding, an HTML table.
// Each seed starts with the byte that picks the encoding (0: by evidence).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/text/gbk_codec.h"
#include "runtime/xlsbridge/workbook_files.h"

namespace {

bool Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.put('\0');
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out.good();
}

std::string Gbk(const std::string& utf8) { return pcshop::text::Utf8ToGbk(utf8).value(); }

}  // namespace

int main(int argc, char** argv) {
  using namespace pcshop::xlsbridge;
  if (argc != 2) {
    std::fprintf(stderr, "usage: sheet_reader_fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const std::string csv = "品名,品牌,型号,价格,备注\r\n显卡,七彩虹,\"RTX 4060, W\",\"2,399\",白色\r\n";
  bool ok = Write(dir / "utf8.csv", csv) && Write(dir / "bom.csv", "\xEF\xBB\xBF" + csv) &&
            Write(dir / "gbk.csv", Gbk(csv)) &&
            Write(dir / "table.xls",
                  Gbk("<meta charset=gbk><table><tr><th>品牌</th><th>价格</th></tr>"
                      "<tr><td>A&amp;B</td><td>1299</td></tr></table>"));
  Workbook book(Gbk("报价"));
  ok = ok && book.AddColumn(Gbk("品牌"), ColumnKind::kText).ok() &&
       book.AddColumn(Gbk("价格"), ColumnKind::kNumber).ok() &&
       book.AddRow({Gbk("七彩虹"), "2399"}, false).ok();
  const std::filesystem::path xlsx = dir / "book.tmp.xlsx";
  ok = ok && WriteXlsx(book, xlsx).ok();
  std::ifstream in(xlsx, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(xlsx);
  ok = ok && Write(dir / "book.xlsx", bytes);
  return ok ? 0 : 1;
}
