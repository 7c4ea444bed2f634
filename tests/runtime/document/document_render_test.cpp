#include "runtime/document/document_render.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QToolBar>
#include <filesystem>
#include <fstream>

#include "runtime/document/document_layout.h"
#include "runtime/document/document_preview.h"
#include "tests/runtime/document/tool_output.h"
#include "tests/runtime/files/scoped_data_home.h"
#include "tests/runtime/text/gbk_literal.h"

namespace pcshop::document {
namespace {

namespace fs = std::filesystem;
using pcshop::testing::HasTool;
using pcshop::testing::PdfPages;
using pcshop::testing::PdfRawText;
using pcshop::testing::PdfText;
using pcshop::testing::Quoted;
using pcshop::testing::ScopedDataHome;
using pcshop::testing::ToolOutput;
using text::Gbk;

const char* const kTitles[] = {"序号", "品名", "品牌", "型号", "数量", "单价", "金额", "备注"};
const int kWidths[] = {65, 120, 180, 360, 80, 80, 120, 280};

// A quote as the application builds it: header lines, eight columns, the
// filled rows and a totals row, a footer.
Document Quote(int rows) {
  Document doc(Gbk("电脑配置报价单"));
  EXPECT_TRUE(doc.AddLine(Gbk("配置名：游戏主机A")).ok());
  EXPECT_TRUE(doc.AddLine(Gbk("日期：2026年12月9日")).ok());
  EXPECT_TRUE(doc.AddLine(Gbk("备注：含三年质保，送货上门")).ok());
  for (int c = 0; c < 8; ++c) {
    const Alignment a = c >= 4 && c <= 6 ? Alignment::kRight : Alignment::kLeft;
    EXPECT_TRUE(doc.AddColumn(Gbk(kTitles[c]), a, kWidths[c]).ok());
  }
  for (int r = 0; r < rows; ++r) {
    EXPECT_TRUE(doc.AddRow({std::to_string(r + 1), Gbk("内存"), Gbk("金士顿"),
                            "FURY 16G DDR5 " + std::to_string(5600 + r), "2", "399", "798",
                            Gbk("双通道，马甲条")},
                           false)
                    .ok());
  }
  EXPECT_TRUE(doc.AddRow({"", Gbk("合计"), "", "", std::to_string(2 * rows), "",
                          std::to_string(798 * rows), ""},
                         true)
                  .ok());
  EXPECT_TRUE(doc.AddFooter(Gbk("感谢惠顾！")).ok());
  return doc;
}

TEST(DocumentRenderTest, PdfIsOneA4PageHoldingEveryLineRowAndTheTotal) {
  if (!HasTool("pdftotext") || !HasTool("pdfinfo")) GTEST_SKIP() << "poppler-utils missing";
  ScopedDataHome home;
  const fs::path pdf = home.root() / "报价单.pdf";
  ASSERT_TRUE(WritePdf(Quote(12), pdf).ok());
  EXPECT_EQ(PdfPages(pdf), 1);
  EXPECT_NE(ToolOutput("pdfinfo " + Quoted(pdf.string())).find("(A4)"), std::string::npos)
      << "A4 portrait";
  const std::string text = PdfText(pdf);
  for (const char* expected : {"电脑配置报价单", "配置名:游戏主机A", "备注:含三年质保,送货上门",
                               "感谢惠顾", "日期:2026年12月9日", "合计 24 9576"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
  }
  // Every row and every column on the one page: the remark is the last.
  for (int r = 0; r < 12; ++r) {
    EXPECT_NE(text.find(std::to_string(r + 1) + " 内存 金士顿 FURY 16G DDR5 " +
                        std::to_string(5600 + r) + " 2 399 798 双通道,马甲条"),
              std::string::npos)
        << r << " in\n" << text;
  }
  EXPECT_NE(text.find("备注"), std::string::npos);
  EXPECT_NE(text.find("双通道"), std::string::npos);
}

// Text copied out of the PDF is the characters written, not look-alike
// radicals a face may share glyphs with (日 as ⽇, 金 as ⾦, 门 as ⻔).
TEST(DocumentRenderTest, PdfTextCopiesOutAsTheCharactersWritten) {
  if (!HasTool("pdftotext")) GTEST_SKIP() << "poppler-utils missing";
  if (!HasTool("fc-list") ||
      ToolOutput("fc-list 'WenQuanYi Micro Hei' family").find("WenQuanYi") == std::string::npos) {
    GTEST_SKIP() << "fonts-wqy-microhei missing (scripts/setup installs it)";
  }
  ScopedDataHome home;
  const fs::path pdf = home.root() / "报价单.pdf";
  ASSERT_TRUE(WritePdf(Quote(1), pdf).ok());
  const std::string raw = PdfRawText(pdf);
  for (const char* expected : {"日期", "金额", "金士顿", "马甲条", "电脑配置报价单"}) {
    EXPECT_NE(raw.find(expected), std::string::npos) << expected << " in\n" << raw;
  }
  // No character of the radical blocks U+2E80..U+2FDF (UTF-8 E2 BA 80 .. E2 BF 9F).
  for (size_t i = 0; i + 1 < raw.size(); ++i) {
    const auto lead = static_cast<unsigned char>(raw[i]);
    const auto next = static_cast<unsigned char>(raw[i + 1]);
    EXPECT_FALSE(lead == 0xE2 && (next == 0xBA || next == 0xBB || next == 0xBC || next == 0xBD ||
                                  next == 0xBE || next == 0xBF))
        << "a radical at byte " << i << " in\n" << raw;
  }
}

TEST(DocumentRenderTest, ADocumentTallerThanThePageShrinksOntoOnePage) {
  if (!HasTool("pdfinfo")) GTEST_SKIP() << "poppler-utils missing";
  ScopedDataHome home;
  const fs::path pdf = home.root() / "long.pdf";
  ASSERT_TRUE(WritePdf(Quote(50), pdf).ok());
  EXPECT_EQ(PdfPages(pdf), 1);
  if (HasTool("pdftotext")) {
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("5649"), std::string::npos) << "the last row is on the page";
  }
}

// Pixels that are not white, in a band of rows.
int InkIn(const QImage& image, int top, int bottom) {
  int ink = 0;
  for (int y = top; y < bottom && y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) ink += QColor(image.pixel(x, y)).lightness() < 200;
  }
  return ink;
}

TEST(DocumentRenderTest, PictureIsPhoneWideAsTallAsItsContentAndInked) {
  const Result<QImage> small = Picture(Quote(3));
  const Result<QImage> large = Picture(Quote(15));
  ASSERT_TRUE(small.ok()) << small.status().ToString();
  ASSERT_TRUE(large.ok()) << large.status().ToString();
  EXPECT_EQ(small->width(), kPictureWidth);
  EXPECT_EQ(large->width(), kPictureWidth);
  EXPECT_GT(large->height(), small->height()) << "twelve more rows";
  EXPECT_GT(small->height(), 400);
  EXPECT_LT(large->height(), 2400) << "a quote fits a phone screen or two";
  // The title band and the table are drawn, the margin is not.
  EXPECT_GT(InkIn(*large, 0, 200), 500);
  EXPECT_GT(InkIn(*large, large->height() / 3, 2 * large->height() / 3), 5000);
  EXPECT_EQ(InkIn(*large, 0, 40), 0);
}

TEST(DocumentRenderTest, PictureFileIsAPngOfThatSize) {
  ScopedDataHome home;
  const fs::path png = home.root() / "报价单.png";
  ASSERT_TRUE(WritePicture(Quote(5), png).ok());
  QImage read;
  ASSERT_TRUE(read.load(QString::fromStdString(png.string()), "PNG"));
  EXPECT_EQ(read.width(), kPictureWidth);
  EXPECT_FALSE(Picture(Quote(5), 100).ok()) << "narrower than any phone";
}

// A chart of 31 days, or one without points.
calls::ChartData DaysChart(int n, bool empty) {
  calls::ChartData chart{
      calls::ChartKind::kBars, Gbk("图表") + std::to_string(n), Gbk("本期没有数据"), {}};
  if (empty) return chart;
  chart.series.push_back({Gbk("销售额"), {}});
  for (int d = 1; d <= 31; ++d) chart.series[0].points.push_back({std::to_string(d), d * 1000});
  return chart;
}

// A report: lines, six charts (the fourth empty), a long list.
Document Report(int lines) {
  Document doc = Quote(40);
  for (int i = 0; i < lines; ++i) EXPECT_TRUE(doc.AddLine(Gbk("说明") + std::to_string(i)).ok());
  for (int n = 1; n <= 6; ++n) EXPECT_TRUE(doc.AddChart(DaysChart(n, n == 4)).ok());
  return doc;
}

// Page breaks fall between charts, never through one, whatever stands
// above them; the PDF holds every page and the charts' texts as text.
TEST(DocumentRenderTest, ChartsRunOverPagesEachWholeOnOnePage) {
  constexpr int kDpi = 300;
  const qreal dots_per_mm = kDpi / 25.4;
  const QSizeF page((210 - 2 * kPageMarginMillimetres) * dots_per_mm,
                    (297 - 2 * kPageMarginMillimetres) * dots_per_mm);
  QImage probe(1, 1, QImage::Format_RGB32);
  probe.setDotsPerMeterX(static_cast<int>(dots_per_mm * 1000));
  probe.setDotsPerMeterY(static_cast<int>(dots_per_mm * 1000));
  for (const int lines : {0, 7, 19}) {
    SCOPED_TRACE(lines);
    Result<std::unique_ptr<QTextDocument>> laid =
        LayOutDocument(Report(lines), &probe, page.width());
    ASSERT_TRUE(laid.ok()) << laid.status().ToString();
    SetPages(**laid, page);
    EXPECT_GE((*laid)->pageCount(), 3);
    const std::vector<ChartPlace> places = ChartPlaces(**laid);
    ASSERT_EQ(places.size(), 6u);
    qreal below = 0;
    for (const ChartPlace& p : places) {
      EXPECT_GE(p.rect.top(), below) << "chart " << p.index;
      EXPECT_EQ(static_cast<int>(p.rect.top() / page.height()),
                static_cast<int>((p.rect.bottom() - 1) / page.height()))
          << "chart " << p.index << " from " << p.rect.top() << " to " << p.rect.bottom();
      below = p.rect.bottom();
    }
    EXPECT_LT(places[3].rect.height(), places[2].rect.height() / 2) << "an empty chart is short";
  }
  if (!HasTool("pdftotext") || !HasTool("pdfinfo")) GTEST_SKIP() << "poppler-utils missing";
  ScopedDataHome home;
  const fs::path pdf = home.root() / "报表.pdf";
  ASSERT_TRUE(WritePdf(Report(7), pdf).ok());
  EXPECT_GE(PdfPages(pdf), 3);
  const std::string text = PdfText(pdf);
  for (int n = 1; n <= 6; ++n) {
    const std::string title = "图表" + std::to_string(n);
    EXPECT_NE(text.find(title), std::string::npos) << title << " in\n" << text;
    EXPECT_EQ(text.find(title, text.find(title) + 1), std::string::npos) << title << " twice";
  }
  EXPECT_NE(text.find("本期没有数据"), std::string::npos);
  EXPECT_NE(text.find("5639"), std::string::npos) << "the last row";
}

TEST(DocumentRenderTest, TextThatIsNotGbkIsRefusedNamingItsCell) {
  Document doc(Gbk("报价单"));
  ASSERT_TRUE(doc.AddColumn(Gbk("品名"), Alignment::kLeft, 1).ok());
  ASSERT_TRUE(doc.AddColumn(Gbk("型号"), Alignment::kLeft, 1).ok());
  ASSERT_TRUE(doc.AddRow({"CPU", "\x81"}, false).ok());
  const Result<std::string> pdf = PdfBytes(doc);
  ASSERT_FALSE(pdf.ok());
  EXPECT_NE(pdf.status().message().find("row 1, column 2"), std::string::npos)
      << pdf.status().message();
  EXPECT_FALSE(Picture(doc).ok());
}

TEST(DocumentRenderTest, AFailedWriteSaysSoAndKeepsTheOldFile) {
  ScopedDataHome home;
  EXPECT_FALSE(WritePdf(Quote(2), home.root() / "no folder" / "a.pdf").ok());
  const fs::path pdf = home.root() / "kept.pdf";
  std::ofstream(pdf) << "old";
  Document bad(Gbk("报价单"));
  ASSERT_TRUE(bad.AddLine("\x81").ok());
  EXPECT_FALSE(WritePdf(bad, pdf).ok());
  std::ifstream in(pdf);
  std::string kept;
  in >> kept;
  EXPECT_EQ(kept, "old");
}

TEST(DocumentModelTest, RowsAndColumnsKeepTheirShape) {
  Document doc("t");
  EXPECT_FALSE(doc.AddRow({"a"}, false).ok()) << "a row before any column";
  ASSERT_TRUE(doc.AddColumn("a", Alignment::kLeft, 1).ok());
  ASSERT_TRUE(doc.AddColumn("b", Alignment::kRight, 2).ok());
  EXPECT_FALSE(doc.AddColumn("c", Alignment::kLeft, 0).ok()) << "width below 1";
  EXPECT_FALSE(doc.AddColumn("c", static_cast<Alignment>(7), 1).ok());
  ASSERT_TRUE(doc.AddRow({"only one"}, false).ok());
  EXPECT_EQ(doc.rows()[0].cells, (std::vector<std::string>{"only one", ""}));
  EXPECT_FALSE(doc.AddRow({"1", "2", "3"}, false).ok()) << "more cells than columns";
  EXPECT_FALSE(doc.AddColumn("late", Alignment::kLeft, 1).ok()) << "a column after a row";
  EXPECT_FALSE(doc.AddLine(std::string(kMaxTextBytes + 1, 'x')).ok());
  for (size_t i = 0; i < kMaxCharts; ++i) ASSERT_TRUE(doc.AddChart({}).ok());
  EXPECT_FALSE(doc.AddChart({}).ok()) << "more charts than the limit";
}

TEST(DocumentPreviewTest, PreviewShowsOnePageAndOffersPdf) {
  int pages = -1;
  bool offers_pdf = false;
  const Status s = ShowPreview(Quote(15), nullptr, [&](QPrintPreviewDialog& dialog) {
    // Big enough to read: most of the screen, the whole page in view.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_GE(dialog.width(), screen.width() * 2 / 3);
    EXPECT_GE(dialog.height(), screen.height() * 4 / 5);
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->zoomMode(), QPrintPreviewWidget::FitInView);
    preview->updatePreview();
    pages = preview->pageCount();
    auto* toolbar = dialog.findChild<QToolBar*>();
    ASSERT_NE(toolbar, nullptr);
    for (QAction* action : toolbar->actions()) {
      offers_pdf = offers_pdf || action->objectName() == "savePdf";
    }
  });
  ASSERT_TRUE(s.ok()) << s.ToString();
  EXPECT_EQ(pages, 1);
  EXPECT_TRUE(offers_pdf);
}

TEST(DocumentPreviewTest, ADocumentThatCannotBeShownOpensNoDialog) {
  Document bad("\x81");
  bool opened = false;
  const Status title = ShowPreview(bad, nullptr, [&](QPrintPreviewDialog&) { opened = true; });
  EXPECT_FALSE(title.ok());
  EXPECT_NE(title.message().find("the title"), std::string::npos) << title.message();
  Document footer(Gbk("报价单"));
  ASSERT_TRUE(footer.AddFooter(Gbk("感谢惠顾")).ok());
  ASSERT_TRUE(footer.AddFooter("\x81").ok());
  const Status second = ShowPreview(footer, nullptr, [&](QPrintPreviewDialog&) { opened = true; });
  EXPECT_NE(second.message().find("footer line 2"), std::string::npos) << second.message();
  EXPECT_FALSE(opened);
}

}  // namespace
}  // namespace pcshop::document
