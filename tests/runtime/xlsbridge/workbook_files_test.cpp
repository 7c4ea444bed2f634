#include "runtime/xlsbridge/workbook_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/runtime/document/tool_output.h"
#include "tests/runtime/files/scoped_data_home.h"
#include "tests/runtime/text/gbk_literal.h"

namespace pcshop::xlsbridge {
namespace {

namespace fs = std::filesystem;
using pcshop::testing::CellXml;
using pcshop::testing::HasTool;
using pcshop::testing::Quoted;
using pcshop::testing::ReadBytes;
using pcshop::testing::ScopedDataHome;
using pcshop::testing::SheetXml;
using pcshop::testing::ToolOutput;
using text::Gbk;

// A customer list as 客户管理 shows it.
Workbook Customers() {
  Workbook book(Gbk("客户信息"));
  EXPECT_TRUE(book.AddColumn(Gbk("序号"), ColumnKind::kNumber).ok());
  EXPECT_TRUE(book.AddColumn(Gbk("姓名"), ColumnKind::kText).ok());
  EXPECT_TRUE(book.AddColumn(Gbk("拼音码"), ColumnKind::kText).ok());
  EXPECT_TRUE(book.AddColumn(Gbk("电话"), ColumnKind::kText).ok());
  EXPECT_TRUE(book.AddColumn(Gbk("应收"), ColumnKind::kNumber).ok());
  EXPECT_TRUE(book.AddColumn(Gbk("备注"), ColumnKind::kText).ok());
  EXPECT_TRUE(book.AddRow({"1", Gbk("张三"), "zs", "01088886666", "1200", Gbk("老客户, \"VIP\"")},
                          false)
                  .ok());
  EXPECT_TRUE(book.AddRow({"2", Gbk("李四"), "0ls", "13900001111", Gbk("未定"), ""}, false).ok());
  return book;
}

TEST(WorkbookFilesTest, XlsxKeepsNumbersAsNumbersAndPhonesAsText) {
  if (!HasTool("unzip")) GTEST_SKIP() << "unzip missing";
  ScopedDataHome home;
  const fs::path xlsx = home.root() / "客户信息.xlsx";
  ASSERT_TRUE(WriteXlsx(Customers(), xlsx).ok());
  EXPECT_EQ(ReadBytes(xlsx.string()).substr(0, 2), "PK");
  const std::string sheet = SheetXml(xlsx);
  ASSERT_FALSE(sheet.empty());
  // Row 1 is the header; 应收 1200 is a number, the phone a text with its 0.
  EXPECT_NE(CellXml(sheet, "E2").find("<v>1200</v>"), std::string::npos) << CellXml(sheet, "E2");
  EXPECT_EQ(CellXml(sheet, "E2").find("t=\""), std::string::npos) << "no type: a number";
  EXPECT_NE(CellXml(sheet, "A2").find("<v>1</v>"), std::string::npos);
  const std::string phone = CellXml(sheet, "D2");
  EXPECT_NE(phone.find("t=\"inlineStr\""), std::string::npos) << phone;
  EXPECT_NE(phone.find("01088886666"), std::string::npos) << phone;
  EXPECT_NE(CellXml(sheet, "C3").find("0ls"), std::string::npos);
  // A number column's cell that is no number stays as the text it is.
  EXPECT_NE(CellXml(sheet, "E3").find("未定"), std::string::npos) << CellXml(sheet, "E3");
  EXPECT_NE(CellXml(sheet, "B2").find("张三"), std::string::npos);
  // The header is bold (a style of its own) and the columns have widths.
  EXPECT_NE(CellXml(sheet, "B1").find(" s=\""), std::string::npos);
  EXPECT_NE(sheet.find("<col "), std::string::npos);
  const std::string workbook = ToolOutput("unzip -p " + Quoted(xlsx.string()) + " xl/workbook.xml");
  EXPECT_NE(workbook.find("name=\"客户信息\""), std::string::npos) << workbook;
}

TEST(WorkbookFilesTest, XlsxPutsTheHeaderLinesAboveTheTable) {
  if (!HasTool("unzip")) GTEST_SKIP() << "unzip missing";
  ScopedDataHome home;
  Workbook book(Gbk("报价单"));
  ASSERT_TRUE(book.AddLine(Gbk("电脑配置报价单")).ok());
  ASSERT_TRUE(book.AddLine(Gbk("配置名：游戏主机A")).ok());
  ASSERT_TRUE(book.AddColumn(Gbk("金额"), ColumnKind::kNumber).ok());
  ASSERT_TRUE(book.AddRow({"6781"}, true).ok());
  EXPECT_FALSE(book.AddLine("late").ok()) << "lines go above the table";
  const fs::path xlsx = home.root() / "q.xlsx";
  ASSERT_TRUE(WriteXlsx(book, xlsx).ok());
  const std::string sheet = SheetXml(xlsx);
  EXPECT_NE(CellXml(sheet, "A1").find("电脑配置报价单"), std::string::npos);
  EXPECT_NE(CellXml(sheet, "A2").find("配置名"), std::string::npos);
  EXPECT_NE(CellXml(sheet, "A4").find("金额"), std::string::npos) << "an empty row between";
  EXPECT_NE(CellXml(sheet, "A5").find("<v>6781</v>"), std::string::npos);
}

TEST(WorkbookFilesTest, CsvIsUtf8AfterAByteOrderMarkWithQuotedFields) {
  const Result<std::string> csv = CsvBytes(Customers());
  ASSERT_TRUE(csv.ok());
  EXPECT_EQ(*csv,
            "\xEF\xBB\xBF"
            "序号,姓名,拼音码,电话,应收,备注\r\n"
            "1,张三,zs,01088886666,1200,\"老客户, \"\"VIP\"\"\"\r\n"
            "2,李四,0ls,13900001111,未定,\r\n");
}

TEST(WorkbookFilesTest, TextThatIsNotGbkIsRefusedAndNothingIsWritten) {
  ScopedDataHome home;
  Workbook book("s");
  ASSERT_TRUE(book.AddColumn("a", ColumnKind::kText).ok());
  ASSERT_TRUE(book.AddRow({"\x81"}, false).ok());
  const fs::path xlsx = home.root() / "bad.xlsx";
  const Status s = WriteXlsx(book, xlsx);
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("row 1, column 1"), std::string::npos) << s.message();
  EXPECT_FALSE(fs::exists(xlsx));
  EXPECT_FALSE(WriteCsv(book, home.root() / "bad.csv").ok());
  EXPECT_FALSE(fs::exists(home.root() / "bad.csv"));
}

TEST(WorkbookFilesTest, AWriteIntoAMissingFolderFails) {
  ScopedDataHome home;
  EXPECT_FALSE(WriteXlsx(Customers(), home.root() / "gone" / "a.xlsx").ok());
  EXPECT_FALSE(WriteCsv(Customers(), home.root() / "gone" / "a.csv").ok());
}

TEST(WorkbookFilesTest, NumbersAreReadStrictly) {
  double n = 0;
  EXPECT_TRUE(ParseNumber("1199", n));
  EXPECT_EQ(n, 1199);
  EXPECT_TRUE(ParseNumber("-12.5", n));
  EXPECT_EQ(n, -12.5);
  EXPECT_TRUE(ParseNumber("+7", n));
  EXPECT_EQ(n, 7);
  for (const char* text : {"", "-", ".", "1.2.3", "12a", " 12", "1e5", "1234567890123456"}) {
    EXPECT_FALSE(ParseNumber(text, n)) << text;
  }
}

TEST(WorkbookFilesTest, ColumnWidthsFitTheLongestCell) {
  const std::vector<double> widths = ColumnWidths(Customers());
  ASSERT_EQ(widths.size(), 6u);
  EXPECT_EQ(widths[3], 11 + 2) << "eleven digits of a phone";
  EXPECT_EQ(widths[0], 6 + 2) << "never narrower than six";
}

TEST(WorkbookFilesTest, LibreOfficeReadsTheChineseAndThePhoneOfBothFiles) {
  const std::string office = HasTool("soffice") ? "soffice" : HasTool("libreoffice") ? "libreoffice" : "";
  if (office.empty()) GTEST_SKIP() << "LibreOffice is not installed";
  ScopedDataHome home;
  const fs::path xlsx = home.root() / "list.xlsx";
  ASSERT_TRUE(WriteXlsx(Customers(), xlsx).ok());
  const fs::path out = home.root() / "out";
  fs::create_directories(out);
  (void)ToolOutput("HOME=" + Quoted(home.root().string()) + " " + office +
                   " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir " +
                   Quoted(out.string()) + " " + Quoted(xlsx.string()) + " 2>&1");
  const std::string csv = ReadBytes((out / "list.csv").string());
  EXPECT_NE(csv.find("张三"), std::string::npos) << csv;
  EXPECT_NE(csv.find("01088886666"), std::string::npos) << csv;
  const fs::path csv_file = home.root() / "list2.csv";
  ASSERT_TRUE(WriteCsv(Customers(), csv_file).ok());
  const fs::path out2 = home.root() / "out2";
  fs::create_directories(out2);
  (void)ToolOutput("HOME=" + Quoted(home.root().string()) + " " + office +
                   " --headless --infilter='CSV:44,34,76' --convert-to 'csv:Text - txt - csv "
                   "(StarCalc):44,34,76' --outdir " +
                   Quoted(out2.string()) + " " + Quoted(csv_file.string()) + " 2>&1");
  EXPECT_NE(ReadBytes((out2 / "list2.csv").string()).find("李四"), std::string::npos);
}

}  // namespace
}  // namespace pcshop::xlsbridge
