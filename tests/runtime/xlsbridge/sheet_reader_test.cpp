#include "runtime/xlsbridge/sheet_reader.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <utility>

#include "runtime/xlsbridge/workbook_files.h"
#include "tests/runtime/files/scoped_data_home.h"
#include "tests/runtime/text/gbk_literal.h"

namespace pcshop::xlsbridge {
namespace {

namespace fs = std::filesystem;
using text::Gbk;

// The cells of every row, GBK, or the row's problem in brackets.
std::vector<std::vector<std::string>> Cells(const SheetData& data) {
  std::vector<std::vector<std::string>> out;
  for (const SheetRow& row : data.rows) {
    out.push_back(row.problem.empty() ? row.cells : std::vector<std::string>{"[" + row.problem + "]"});
  }
  return out;
}

// A zip archive in memory with the given parts.
std::string Zip(const std::vector<std::pair<std::string, std::string>>& parts) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_source_keep(buffer);
  zip_t* zip = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  for (const auto& [name, bytes] : parts) {
    zip_source_t* s = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_file_add(zip, name.c_str(), s, ZIP_FL_OVERWRITE);
  }
  zip_close(zip);
  zip_stat_t stat;
  zip_source_stat(buffer, &stat);
  std::string out(stat.size, '\0');
  zip_source_open(buffer);
  zip_source_read(buffer, out.data(), out.size());
  zip_source_close(buffer);
  zip_source_free(buffer);
  return out;
}

constexpr char kWorkbook[] =
    R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<sheets><sheet name="报价" sheetId="1" r:id="rId1"/><sheet name="二" sheetId="2" r:id="rId2"/></sheets></workbook>)";
constexpr char kRelations[] =
    R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target="worksheets/a.xml"/>)"
    R"(<Relationship Id="rId2" Type="x/worksheet" Target="/xl/worksheets/b.xml"/>)"
    R"(<Relationship Id="rId3" Type="x/sharedStrings" Target="strings.xml"/></Relationships>)";
constexpr char kStrings[] =
    R"(<sst><si><t>品牌</t></si><si><r><t>型</t></r><r><t>号</t></r><rPh><t>xing</t></rPh></si></sst>)";

std::string Book(const std::string& sheet_a, const std::string& sheet_b = "<worksheet/>") {
  return Zip({{"xl/workbook.xml", kWorkbook},
              {"xl/_rels/workbook.xml.rels", kRelations},
              {"xl/strings.xml", kStrings},
              {"xl/worksheets/a.xml", sheet_a},
              {"xl/worksheets/b.xml", sheet_b}});
}

TEST(SheetReaderTest, TextEncodingsAreFoundByEvidenceOrAsChosen) {
  const std::string utf8 = "品牌,价格\r\n七彩虹,1299\r\n";
  const std::string gbk = Gbk(utf8);
  // 𠀀 (U+20000) is GB18030's four bytes 95 32 82 36; GBK cannot hold it.
  const std::string gb18030 = gbk + "\x95\x32\x82\x36,1\r\n";
  struct Case {
    std::string bytes;
    TextEncoding asked, found;
    std::string second_cell;
  } cases[] = {
      {"\xEF\xBB\xBF" + utf8, TextEncoding::kDetect, TextEncoding::kUtf8Bom, Gbk("七彩虹")},
      {utf8, TextEncoding::kDetect, TextEncoding::kUtf8, Gbk("七彩虹")},
      {gbk, TextEncoding::kDetect, TextEncoding::kGb18030, Gbk("七彩虹")},
      {gbk, TextEncoding::kGb18030, TextEncoding::kGb18030, Gbk("七彩虹")},
  };
  for (const Case& c : cases) {
    Result<SheetData> data = ReadCsv(c.bytes, c.asked);
    ASSERT_TRUE(data.ok()) << data.status().message();
    EXPECT_EQ(data->encoding, c.found);
    ASSERT_EQ(data->rows.size(), 2u);
    const std::string expected = c.second_cell.empty() ? "(other)" : c.second_cell;
    const bool same = data->rows[1].cells[0] == Gbk("七彩虹");
    EXPECT_EQ(same ? Gbk("七彩虹") : "(other)", expected);
  }
  Result<SheetData> outside = ReadCsv(gb18030, TextEncoding::kDetect);
  ASSERT_TRUE(outside.ok());
  ASSERT_EQ(outside->rows.size(), 3u);
  EXPECT_EQ(outside->rows[2].problem, "第3行含有GBK不能表示的字符 U+20000，此行不能导入。");
  EXPECT_TRUE(outside->rows[1].problem.empty());

  Result<SheetData> forced = ReadCsv(gbk, TextEncoding::kUtf8);
  ASSERT_FALSE(forced.ok());
  EXPECT_EQ(forced.status().message(), "文件的文字不是UTF-8编码（第3字节起），请换一种编码再试。");
}

TEST(SheetReaderTest, CsvQuotingSeparatorsAndRowNumbers) {
  struct Case {
    std::string bytes;
    std::vector<std::vector<std::string>> rows;
    std::vector<int32_t> numbers;
  } cases[] = {
      {"a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\nx,\"two\nlines\"\n", {{"a", "b,c", "say \"hi\""}, {"x", "two\nlines"}}, {1, 3}},
      {"a;b\n1;2", {{"a", "b"}, {"1", "2"}}, {1, 2}},
      {"a\tb\r1\t2\r", {{"a", "b"}, {"1", "2"}}, {1, 2}},
      {"a,b,,\n,,,\n", {{"a", "b"}}, {1}},
      // Found by the fuzzer: a unit separator inside a cell is one cell.
      {"a\x1F" "b,c\n", {{"a\x1F" "b", "c"}}, {1}},
  };
  for (const Case& c : cases) {
    Result<SheetData> data = ReadCsv(c.bytes, TextEncoding::kDetect);
    ASSERT_TRUE(data.ok()) << c.bytes;
    EXPECT_EQ(Cells(*data), c.rows) << c.bytes;
    std::vector<int32_t> numbers;
    for (const SheetRow& row : data->rows) numbers.push_back(row.number);
    EXPECT_EQ(numbers, c.numbers) << c.bytes;
  }
}

TEST(SheetReaderTest, XlsxWrittenByTheWorkbookWriterReadsBack) {
  testing::ScopedDataHome home;
  Workbook book(Gbk("价格表"));
  ASSERT_TRUE(book.AddColumn(Gbk("品牌"), ColumnKind::kText).ok());
  ASSERT_TRUE(book.AddColumn(Gbk("价格"), ColumnKind::kNumber).ok());
  ASSERT_TRUE(book.AddRow({Gbk("七彩虹"), "1299"}, false).ok());
  ASSERT_TRUE(book.AddRow({"Intel", "1299.5"}, false).ok());
  const fs::path path = home.root() / "list.xlsx";
  ASSERT_TRUE(WriteXlsx(book, path).ok());
  Result<SheetData> data = ReadSheetFile(path, TextEncoding::kDetect, 0);
  ASSERT_TRUE(data.ok()) << data.status().message();
  EXPECT_EQ(data->kind, SheetFileKind::kXlsx);
  EXPECT_EQ(data->sheet_names, std::vector<std::string>{Gbk("价格表")});
  EXPECT_EQ(Cells(*data), (std::vector<std::vector<std::string>>{
                              {Gbk("品牌"), Gbk("价格")}, {Gbk("七彩虹"), "1299"}, {"Intel", "1299.5"}}));
}

// Saved by LibreOffice Calc (scripts/make-import-fixtures): shared strings,
// a formula's cached value, a title line above the header, two sheets.
TEST(SheetReaderTest, XlsxWrittenByLibreOfficeReadsBack) {
  const fs::path path = fs::path(PCSHOP_TEST_DATA) / "import" / "libreoffice.xlsx";
  Result<SheetData> data = ReadSheetFile(path, TextEncoding::kDetect, 0);
  ASSERT_TRUE(data.ok()) << data.status().message();
  EXPECT_EQ(data->sheet_names, (std::vector<std::string>{Gbk("显卡报价"), "CPU"}));
  EXPECT_EQ(Cells(*data), (std::vector<std::vector<std::string>>{
                              {Gbk("某某科技 今日报价")},
                              {Gbk("厂商"), Gbk("型号规格"), Gbk("渠道价"), Gbk("说明")},
                              {Gbk("七彩虹"), "RTX 4060 Ultra W", "2299", Gbk("白色")},
                              {Gbk("华硕"), "DUAL 4060", "2400"},
                              {Gbk("技嘉"), "RTX 4060 EAGLE", Gbk("询价")}}));
  Result<SheetData> cpu = ReadSheetFile(path, TextEncoding::kDetect, 1);
  ASSERT_TRUE(cpu.ok());
  EXPECT_EQ(Cells(*cpu), (std::vector<std::vector<std::string>>{
                             {Gbk("品牌"), Gbk("型号"), Gbk("价格")}, {"Intel", "i5-13400F", "1299"}}));
}

TEST(SheetReaderTest, XlsxCellKindsGapsAndSheetChoice) {
  const std::string sheet =
      R"(<worksheet><sheetData><row r="2"><c r="A2" t="s"><v>0</v></c><c r="C2" t="s"><v>1</v></c></row>)"
      R"(<row r="5"><c r="A5" t="inlineStr"><is><t>华硕</t></is></c><c r="B5"><f>1+1</f><v>1.2E3</v></c>)"
      R"(<c r="C5" t="str"><f>"X"&amp;"1"</f><v>X1</v></c><c r="D5" t="b"><v>1</v></c></row></sheetData></worksheet>)";
  const std::string second = R"(<worksheet><sheetData><row><c t="inlineStr"><is><t>b</t></is></c></row></sheetData></worksheet>)";
  Result<SheetData> first = ReadXlsx(Book(sheet, second), 0);
  ASSERT_TRUE(first.ok()) << first.status().message();
  EXPECT_EQ(first->sheet_names, (std::vector<std::string>{Gbk("报价"), Gbk("二")}));
  EXPECT_EQ(Cells(*first), (std::vector<std::vector<std::string>>{
                               {Gbk("品牌"), "", Gbk("型号")}, {Gbk("华硕"), "1200", "X1", "TRUE"}}));
  EXPECT_EQ(first->rows[1].number, 5);
  Result<SheetData> other = ReadXlsx(Book(sheet, second), 1);
  ASSERT_TRUE(other.ok());
  EXPECT_EQ(Cells(*other), (std::vector<std::vector<std::string>>{{"b"}}));
}

TEST(SheetReaderTest, HtmlTableOfTheProgramsOwnExportReadsBack) {
  const std::string html = Gbk(
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\"></head>"
      "<body><table border=\"1\">\n  <tr>\n    <th>品牌</th>\n    <th>型号</th>\n  </tr>\n"
      "  <tr>\n    <td>七彩虹</td>\n    <td>A&amp;B &lt;1&gt;</td>\n  </tr>\n</table></body></html>");
  Result<SheetData> data = ReadSheetBytes(html, TextEncoding::kDetect, 0);
  ASSERT_TRUE(data.ok()) << data.status().message();
  EXPECT_EQ(data->kind, SheetFileKind::kHtml);
  EXPECT_EQ(Cells(*data), (std::vector<std::vector<std::string>>{{Gbk("品牌"), Gbk("型号")},
                                                                  {Gbk("七彩虹"), "A&B <1>"}}));
}

TEST(SheetReaderTest, BadFilesAreRefusedWithTheirMessage) {
  const std::string good = Book("<worksheet><sheetData/></worksheet>");
  std::string rows_past_limit;
  for (size_t i = 0; i <= kMaxSheetRows; ++i) rows_past_limit += "a\n";
  const std::string compound = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(64, '\0');
  std::string encrypted_name;
  for (const char c : std::string("EncryptedPackage")) encrypted_name += std::string{c, '\0'};
  const std::pair<std::string, std::string> cases[] = {
      {good.substr(0, good.size() / 2), "工作簿已损坏，无法读取（压缩包结构不对）。"},
      {compound + encrypted_name, "工作簿设有密码（已加密），请在表格程序中取消密码、另存后再导入。"},
      {compound, "这是旧版Excel工作簿（.xls），请在表格程序中另存为.xlsx或CSV后再导入。"},
      {std::string("\x7F" "ELF\x02\x01\x01\0\0", 9), "文件不是表格文件（.xlsx、.csv或本程序导出的.xls），不能导入。"},
      {Zip({{"a.txt", "x"}}), "工作簿已损坏，无法读取（没有xl/workbook.xml，不是Excel工作簿）。"},
      {Book("<worksheet><sheetData><row><c>"), "工作簿已损坏，无法读取（xl/worksheets/a.xml第1行：Premature end of document.）。"},
      {Book(R"(<worksheet><sheetData><row><c t="s"><v>9</v></c></row></sheetData></worksheet>)"),
       "工作簿已损坏，无法读取（xl/worksheets/a.xml引用了不存在的共享字符串）。"},
      {Zip({{"xl/workbook.xml", kWorkbook}, {"big.bin", std::string(kMaxUnpackedBytes + 1, '\0')}}),
       "工作簿解压后超过100MB，不能导入。"},
      {rows_past_limit, "表格超过200000行，不能导入。"},
      {"a,\"b\nc", "CSV文件第1行的引号没有结束，文件可能不完整。"},
  };
  for (const auto& [bytes, message] : cases) {
    Result<SheetData> data = ReadSheetBytes(bytes, TextEncoding::kDetect, 0);
    ASSERT_FALSE(data.ok()) << message;
    EXPECT_EQ(data.status().message(), message);
  }
  Result<SheetData> no_sheet = ReadXlsx(good, 5);
  ASSERT_FALSE(no_sheet.ok());
  EXPECT_EQ(no_sheet.status().message(), "工作簿没有第6张工作表。");
}

}  // namespace
}  // namespace pcshop::xlsbridge
