// The quote as a document and the lists as workbooks, through the real
// generated image offscreen: 存为PDF and 存为图片 into the day folder (named
// after the configuration, cleaned, with the dialog fallback), 打印 through
// the preview's responder, 另存为 in the quote and product windows. The
// program folder is shared with the other app tests: same lock.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <array>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/kernel/runtime.h"
#include "runtime/ui/window_manager.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"
#include "tests/runtime/document/tool_output.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using pcshop::testing::CellXml;
using pcshop::testing::HasTool;
using pcshop::testing::IsNumberCell;
using pcshop::testing::PdfPages;
using pcshop::testing::PdfText;
using pcshop::testing::Quoted;
using pcshop::testing::SheetXml;
using pcshop::testing::ToolOutput;

constexpr char kQuote[] = "窗口配置单";
constexpr char kGrid[] = "超级列表框配置信息";

// The day folder and the time stamp of one moment (UTF-8).
struct Stamp {
  std::string day;
  std::string time;
};

Stamp StampAt(std::time_t t) {
  std::tm tm{};
  ::localtime_r(&t, &tm);
  const std::string day = std::to_string(tm.tm_year + 1900) + "年" + std::to_string(tm.tm_mon + 1) +
                          "月" + std::to_string(tm.tm_mday) + "日";
  return {day, day + std::to_string(tm.tm_hour) + "点" + std::to_string(tm.tm_min) + "分"};
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

class PrintTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    if (HasFatalFailure()) return;
    RemoveDayFolders();
  }
  void TearDown() override {
    RemoveDayFolders();
    AppFixture::TearDown();
  }

  void SetCell(int row, int column, const std::string& utf8) {
    const std::optional<ui::ControlRef> grid = runtime_->windows()->FindByName(kQuote, kGrid);
    ASSERT_TRUE(grid.has_value());
    ASSERT_TRUE(runtime_->windows()->SetListCell(*grid, row, column, Gbk(utf8)));
  }
  // Two rows filled as the cell editor leaves them, a name and a remark.
  void FillQuote(const std::string& name) {
    const std::vector<std::vector<std::string>> rows = {
        {"1", "CPU", "Intel", "Core i5-13400F", "1", "1199", "1199", "盒装"},
        {"4", "内存", "金士顿", "FURY 16G DDR5", "2", "399", "798", "双通道"}};
    for (int c = 0; c < 8; ++c) SetCell(0, c, rows[0][c]);
    for (int c = 0; c < 8; ++c) SetCell(3, c, rows[1][c]);
    Ok(user_->SetText(kQuote, "组合框标准配置名", name));
    Ok(user_->SetText(kQuote, "编辑框配置备注", "含三年质保"));
  }
  // Presses `button`; the file `stem` + "_" + stamp + `extension` it wrote in
  // the day folder, whichever of the two minutes it took.
  std::optional<fs::path> Press(const char* button, const std::string& stem,
                                const std::string& extension) {
    const Stamp before = StampAt(std::time(nullptr));
    Click(kQuote, button);
    const Stamp after = StampAt(std::time(nullptr));
    for (const Stamp& s : {before, after}) {
      const fs::path file = folder_ / s.day / (stem + "_" + s.time + extension);
      if (fs::exists(file)) return file;
    }
    return std::nullopt;
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts = responder_.MessageTexts();
    responder_.Clear();
    return texts;
  }
  void RemoveDayFolders() {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(folder_, ec)) {
      const std::string name = e.path().filename().string();
      if (name.ends_with("日")) fs::remove_all(e.path(), ec);
    }
  }
};

TEST_F(PrintTest, PdfOfTheQuoteHoldsItsNameRemarkFilledRowsAndTotal) {
  if (!HasTool("pdftotext") || !HasTool("pdfinfo")) GTEST_SKIP() << "poppler-utils missing";
  Run([&] {
    FillQuote("游戏主机A");
    const std::optional<fs::path> pdf = Press("按钮存为PDF", "游戏主机A", ".pdf");
    ASSERT_TRUE(pdf.has_value());
    const std::vector<std::string> said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_TRUE(said[0].ends_with(pdf->filename().string())) << said[0];
    EXPECT_EQ(said[1], "存为PDF成功！");
    EXPECT_EQ(PdfPages(*pdf), 1);
    const std::string text = PdfText(*pdf);
    for (const char* expected : {"游戏主机A", "含三年质保", "1 CPU Intel Core i5-13400F 1 1199 1199",
                                 "2 内存 金士顿 FURY 16G DDR5 2 399 798 双通道",
                                 "配置名:游戏主机A", "备注:含三年质保", "合计 3 1997"}) {
      EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    }
    // Only the filled rows: no empty quote row with zeros, no 机械盘 row.
    EXPECT_EQ(text.find("0 0 0"), std::string::npos);
    EXPECT_EQ(text.find("机械盘"), std::string::npos);
  });
}

TEST_F(PrintTest, PictureOfAnUnnamedQuoteIsCalled报价单AndIsPhoneWide) {
  Run([&] {
    FillQuote("");
    const std::optional<fs::path> png = Press("按钮存为图片", "报价单", ".png");
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(Messages().back(), "存为图片成功！");
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png->string()), "PNG"));
    EXPECT_EQ(image.width(), 1080);
    EXPECT_GT(image.height(), 400);
    EXPECT_LT(image.height(), 1920);
  });
}

TEST_F(PrintTest, ANameThatClimbsOutStaysInTheDayFolder) {
  Run([&] {
    FillQuote("..\\..\\x");
    // Without the leading dots, which would make a hidden file.
    EXPECT_TRUE(Press("按钮存为图片", "_.._x", ".png").has_value());
    EXPECT_TRUE(Press("按钮存为PDF", "_.._x", ".pdf").has_value());
    // A name of dots alone leaves nothing: the unnamed quote's name.
    Ok(user_->SetText(kQuote, "组合框标准配置名", ". .."));
    EXPECT_TRUE(Press("按钮存为PDF", "报价单", ".pdf").has_value());
    responder_.Clear();
  });
  for (const fs::directory_entry& e : fs::directory_iterator(folder_.parent_path())) {
    EXPECT_FALSE(e.path().filename().string().starts_with("x_")) << e.path();
  }
}

// Names carry the minute only: a second save within it gets a number, and
// the first file stays as it was.
TEST_F(PrintTest, ASecondSaveInTheSameMinuteIsNumberedNotOverwritten) {
  Run([&] {
    FillQuote("A");
    const std::time_t now = std::time(nullptr);
    for (std::time_t t : {now, now + 60}) {
      fs::create_directories(folder_ / StampAt(t).day);
      for (const char* ext : {".pdf", ".png"}) {
        std::ofstream(folder_ / StampAt(t).day / ("A_" + StampAt(t).time + ext)) << "first";
      }
    }
    for (const char* ext : {".pdf", ".png"}) {
      const bool pdf = std::string(ext) == ".pdf";
      const std::optional<fs::path> second =
          Press(pdf ? "按钮存为PDF" : "按钮存为图片", "A", std::string("_2") + ext);
      ASSERT_TRUE(second.has_value()) << ext;
      EXPECT_GT(fs::file_size(*second), 100u);
      EXPECT_EQ(Messages().back(), pdf ? "存为PDF成功！" : "存为图片成功！");
      for (std::time_t t : {now, now + 60}) {
        EXPECT_EQ(ReadAll(folder_ / StampAt(t).day / ("A_" + StampAt(t).time + ext)), "first");
      }
    }
  });
}

TEST_F(PrintTest, AFailedWriteSaysSoAndTheDialogTakesOver) {
  Run([&] {
    FillQuote("A");
    for (std::time_t t : {std::time(nullptr), std::time(nullptr) + 60}) {
      std::ofstream(folder_ / StampAt(t).day) << "not a folder";
    }
    responder_.QueueFileDialogAnswer((folder_ / "no such folder" / "q.pdf").string());
    Click(kQuote, "按钮存为PDF");
    ASSERT_EQ(responder_.file_dialogs().size(), 1u);
    EXPECT_EQ(responder_.file_dialogs()[0].filter, Gbk("PDF 文件|*.pdf"));
    EXPECT_EQ(Messages(), std::vector<std::string>{"存为PDF失败！"});

    const fs::path chosen = folder_ / "chosen.png";
    responder_.QueueFileDialogAnswer(chosen.string());
    Click(kQuote, "按钮存为图片");
    EXPECT_EQ(Messages(), std::vector<std::string>{"存为图片成功！"});
    EXPECT_TRUE(fs::exists(chosen));
    fs::remove(chosen);
  });
}

TEST_F(PrintTest, PrintOpensAOnePagePreview) {
  int pages = -1;
  runtime_->documents().SetPreviewResponder([&](QPrintPreviewDialog& dialog) {
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    ASSERT_NE(preview, nullptr);
    preview->updatePreview();
    pages = preview->pageCount();
  });
  Run([&] {
    FillQuote("A");
    Click(kQuote, "按钮配置打印");
    EXPECT_EQ(Messages(), std::vector<std::string>{});
  });
  EXPECT_EQ(pages, 1);
  EXPECT_EQ(runtime_->documents().open_count(), 0u) << "the document is closed afterwards";
}

TEST_F(PrintTest, SaveAsWritesTheQuoteAsAWorkbookWithItsHeaderLines) {
  if (!HasTool("unzip")) GTEST_SKIP() << "unzip missing";
  const fs::path xlsx = folder_ / "quote.xlsx";
  Run([&] {
    FillQuote("游戏主机A");
    responder_.QueueFileDialogAnswer(xlsx.string());
    Click(kQuote, "按钮另存为");
    ASSERT_EQ(responder_.file_dialogs().size(), 1u);
    EXPECT_EQ(responder_.file_dialogs()[0].filter,
              Gbk("Excel 工作簿|*.xlsx|CSV UTF-8|*.csv|excel文件|*.xls"));
    EXPECT_EQ(Messages(), std::vector<std::string>{"导出成功！"});
  });
  const std::string sheet =
      ToolOutput("unzip -p " + Quoted(xlsx.string()) + " xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("电脑配置报价单"), std::string::npos);
  EXPECT_NE(sheet.find("配置名：游戏主机A"), std::string::npos);
  // Title and lines 1-4, an empty row, the header (row 6); CPU's 单价 in row 7.
  const size_t price = sheet.find("<c r=\"F7\"");
  ASSERT_NE(price, std::string::npos) << sheet;
  EXPECT_NE(sheet.substr(price, 40).find("<v>1199</v>"), std::string::npos) << sheet;
  EXPECT_NE(sheet.find("合计"), std::string::npos);
  fs::remove(xlsx);
}

TEST_F(PrintTest, ProductListSavedAsCsvHasItsBomAndChinese) {
  const fs::path csv = folder_ / "products.csv";
  Run([&] {
    Seed("显卡", {{"显卡", "七彩虹", "RTX 4060", 2399, "8G"}});
    Click(kQuote, "按钮商品管理");
    Ok(user_->ChooseComboItem("窗口商品管理", "组合框商品查询类别", 6));
    user_->ProcessEvents();
    responder_.QueueFileDialogAnswer(csv.string());
    Click("窗口商品管理", "按钮另存为");
    EXPECT_EQ(Messages(), std::vector<std::string>{"导出成功！"});
  });
  const std::string bytes = ReadAll(csv);
  EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF" "序号,品名,品牌,型号,价格,备注,库存\r\n")) << bytes;
  EXPECT_NE(bytes.find("显卡,七彩虹,RTX 4060,2399,8G,0\r\n"), std::string::npos) << bytes;
  fs::remove(csv);
}

// 库存 came after the first number columns; it must be a number all the same.
TEST_F(PrintTest, ProductListSavedAsAWorkbookHoldsPriceAndOnHandAsNumbers) {
  if (!HasTool("unzip")) GTEST_SKIP() << "unzip missing";
  const fs::path xlsx = folder_ / "products.xlsx";
  Run([&] {
    Seed("显卡", {{"显卡", "七彩虹", "RTX 4060", 2399, "0571"}});
    Click(kQuote, "按钮商品管理");
    Click("窗口商品管理", "按钮全部商品");
    responder_.QueueFileDialogAnswer(xlsx.string());
    Click("窗口商品管理", "按钮另存为");
    EXPECT_EQ(Messages(), std::vector<std::string>{"导出成功！"});
  });
  const std::string sheet = SheetXml(xlsx);
  EXPECT_TRUE(IsNumberCell(sheet, "A2", "1")) << sheet;     // 序号
  EXPECT_TRUE(IsNumberCell(sheet, "E2", "2399")) << sheet;  // 价格
  EXPECT_TRUE(IsNumberCell(sheet, "G2", "0")) << sheet;     // 库存
  // 备注 stays text.
  EXPECT_NE(CellXml(sheet, "F2").find("0571"), std::string::npos) << sheet;
  fs::remove(xlsx);
}

}  // namespace
}  // namespace pcshop::app::testing
