// The spreadsheet export through the real generated image, offscreen: the
// quote window's and the product window's 导出 buttons as a user presses
// them, the files they write into the day folder beside the program, the
// file naming by current table, and the file dialog when the day folder
// cannot be made. Message boxes and file dialogs are answered by a Responder
// in every test. The program folder is shared with the other app tests: same
// lock.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/export/export_names.h"
#include "app/export/list_html.h"
#include "runtime/kernel/runtime.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"
#include "runtime/ui/window_manager.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

constexpr char kQuote[] = "窗口配置单";
constexpr char kProduct[] = "窗口商品管理";
constexpr char kExport[] = "按钮配置导出";
constexpr char kQueryBox[] = "组合框商品查询类别";
constexpr int kGraphicsCard = 6;
constexpr int kOther = 13;

// The day folder and time suffix as the export names them (UTF-8), for one
// moment of the local clock.
struct Stamp {
  std::string day;
  std::string suffix;
};

Stamp StampAt(std::time_t t) {
  std::tm tm{};
  ::localtime_r(&t, &tm);
  const std::string day = std::to_string(tm.tm_year + 1900) + "年" + std::to_string(tm.tm_mon + 1) +
                          "月" + std::to_string(tm.tm_mday) + "日";
  return {day, day + std::to_string(tm.tm_hour) + "点" + std::to_string(tm.tm_min) + "分.xls"};
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

Texts Lines(const fs::path& file) {
  const std::string all = ReadAll(file);
  Texts lines;
  size_t start = 0;
  for (size_t end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(all.substr(start, end - start));
  }
  if (start != all.size()) lines.push_back(all.substr(start));  // an unterminated tail
  return lines;
}

// One table row of the file as its lines, texts UTF-8.
Texts RowLines(const char* cell, const Texts& texts) {
  Texts lines{"  <tr>"};
  for (const std::string& t : texts) {
    lines.push_back(std::string("    <") + cell + ">" + Gbk(t) + "</" + cell + ">");
  }
  lines.push_back("  </tr>");
  return lines;
}

class ExportTest : public AppFixture {
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

  void Run(const std::function<void()>& scenario) {
    AppFixture::Run(scenario);
    EXPECT_EQ(Errors(), "") << "the runtime reported a fault";
  }

  // Presses 导出 in `window`; returns the candidate stamps around the press.
  std::array<Stamp, 2> Export(const char* window) {
    const std::time_t before = std::time(nullptr);
    Click(window, kExport);
    return {StampAt(before), StampAt(std::time(nullptr))};
  }
  // The file an automatic export named `stem` + "_" wrote, whichever of the
  // two minutes it took; nullopt when neither exists.
  std::optional<fs::path> Exported(const std::array<Stamp, 2>& when, const std::string& stem) {
    for (const Stamp& s : when) {
      const fs::path file = folder_ / s.day / (stem + s.suffix);
      if (fs::exists(file)) return file;
    }
    return std::nullopt;
  }
  // The path message the export shows for that file, as the platform writes
  // it: "/" between names, never the program's "\\" (GBK; names on disk are
  // UTF-8).
  std::string PathMessage(const fs::path& file) {
    return folder_.string() + "/" + Gbk(file.parent_path().filename().string()) + "/" +
           Gbk(file.filename().string());
  }

  Texts Messages() {
    Texts texts;
    for (const ui::MessageBoxRequest& r : responder_.message_boxes()) texts.push_back(r.text);
    responder_.Clear();
    return texts;
  }

  void ToProductWindow() { Click(kQuote, "按钮商品管理"); }
  void ListCategory(int index) {
    Ok(user_->ChooseComboItem(kProduct, kQueryBox, index));
    user_->ProcessEvents();
  }

  // Day folders the exports made beside the program (names end in 日).
  void RemoveDayFolders() {
    std::error_code ec;
    const std::string day_mark = "日";
    std::vector<fs::path> doomed;
    for (const fs::directory_entry& e : fs::directory_iterator(folder_, ec)) {
      const std::string name = e.path().filename().string();
      if (name.size() > day_mark.size() && name.ends_with(day_mark)) doomed.push_back(e.path());
    }
    for (const fs::path& p : doomed) fs::remove_all(p, ec);
  }

};

TEST_F(ExportTest, QuoteSheetGivesCharsetHeaderAndNineteenRowsLineByLine) {
  std::array<Stamp, 2> when;
  Run([&] {
    when = Export(kQuote);
    // Right after the start-up the last table opened, 其它, is current.
    const std::optional<fs::path> file = Exported(when, "其它_");
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(Messages(), (Texts{PathMessage(*file), Gbk("导出成功！")}));
    Texts expected{"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">",
                   "<table border=\"1\">"};
    const Texts titles{"序号", "品名", "品牌", "型号", "数量", "单价", "金额", "备注"};
    const Texts header = RowLines("th", titles);
    expected.insert(expected.end(), header.begin(), header.end());
    const Texts labels{"CPU",  "散热器", "主板", "内存", "机械盘", "固态盘", "显卡",  "显示器",
                       "机箱", "电源",   "键盘", "鼠标", "音箱",   "其它一", "其它二"};
    for (int r = 0; r < 19; ++r) {
      Texts cells(8);
      if (r < 15) cells[0] = std::to_string(r + 1), cells[1] = labels[r];
      const Texts row = RowLines("td", cells);
      expected.insert(expected.end(), row.begin(), row.end());
    }
    expected.push_back("</table>");
    EXPECT_EQ(Lines(*file), expected);
    EXPECT_EQ(expected.size(), 2u + 10u + 19u * 10u + 1u);
    EXPECT_EQ(expected[13], "    <td>1</td>");
    EXPECT_EQ(expected[15], "    <td></td>");
  });
}

TEST_F(ExportTest, FileIsNamedAfterTheCurrentTable) {
  Run([&] {
    Seed("显卡", {{"显卡", "A", "G1", 1000, ""}, {"显卡", "B", "G2", 2000, ""}});
    Seed("其它", {{"其它", "C", "O1", 10, ""}});

    // The configuration table current (after a save or a load): the name box.
    Ok(user_->SetText(kQuote, "组合框标准配置名", "王先生"));
    Ok(runtime_->tables().SelectTable(Gbk("配置")));
    EXPECT_TRUE(Exported(Export(kQuote), "王先生_").has_value());
    // An empty name box gives "_" and the suffix.
    Ok(user_->SetText(kQuote, "组合框标准配置名", ""));
    Ok(runtime_->tables().SelectTable(Gbk("配置")));
    EXPECT_TRUE(Exported(Export(kQuote), "_").has_value());

    // The customer table current (the customer window keeps it so).
    Click(kQuote, "按钮客户管理");
    Click("客户管理", "按钮返回");
    Ok(runtime_->tables().SelectTable(Gbk("客户信息")));
    EXPECT_TRUE(Exported(Export(kQuote), "客户信息_").has_value());

    ToProductWindow();
    ListCategory(kGraphicsCard);
    EXPECT_TRUE(Exported(Export(kProduct), "显卡_").has_value());
    // 其它 listed alone holds as many records as the list shows: its name.
    ListCategory(kOther);
    EXPECT_TRUE(Exported(Export(kProduct), "其它_").has_value());
    // 全部商品 ends on 其它 with more rows than it holds: 商品信息.
    Click(kProduct, "按钮全部商品");
    ASSERT_EQ(user_->RowCount(kProduct, "超级列表框商品信息"), 3);
    EXPECT_TRUE(Exported(Export(kProduct), "商品信息_").has_value());
    responder_.Clear();
  });
}

TEST_F(ExportTest, NameBoxTextCannotLeaveTheDayFolder) {
  // 0xB1 0x5C and 0xB1 0x7C are whole characters whose trail bytes are the
  // codes of "\" and "|": they stay.
  const std::string name = std::string("..\\..\\x:*?\"<>|/") + "\xB1\x5C" + "\xB1\x7C";
  const Result<std::string> utf8 = text::GbkToUtf8("\xB1\x5C\xB1\x7C");
  ASSERT_TRUE(utf8.ok());
  const std::string kept = *utf8;
  Run([&] {
    Ok(user_->SetText(kQuote, "组合框标准配置名", name));
    Ok(runtime_->tables().SelectTable(Gbk("配置")));
    const std::array<Stamp, 2> when = Export(kQuote);
    bool found = false;
    for (const Stamp& s : when) {
      found = found || fs::exists(folder_ / s.day / ("_.._x________" + kept + "_" + s.suffix));
    }
    EXPECT_TRUE(found);
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], Gbk("导出成功！"));
    // Turning "\\" into "/" leaves the characters whose trail byte is 0x5C.
    const Result<std::string> shown = text::GbkToUtf8(said[0]);
    ASSERT_TRUE(shown.ok());
    EXPECT_EQ(shown->find('\\'), std::string::npos) << *shown;
    // The leading dots, which would hide the file, are gone.
    EXPECT_TRUE(shown->ends_with("/_.._x________" + kept + "_" + when[0].suffix) ||
                shown->ends_with("/_.._x________" + kept + "_" + when[1].suffix))
        << *shown;
  });
  // Nothing above the program folder's own day folder was written.
  for (const fs::directory_entry& e : fs::directory_iterator(folder_.parent_path())) {
    EXPECT_FALSE(e.path().filename().string().starts_with("x_")) << e.path();
  }
}

TEST_F(ExportTest, CellsAreEscapedAndLongCellsCutBetweenCharacters) {
  std::string wide;  // 200 characters, 400 bytes
  for (int i = 0; i < 200; ++i) wide += "汉";
  Run([&] {
    Seed("显卡", {{"显卡", "A&B", "<B550>", 1, wide}, {"显卡", "A", "M", 2, "a" + wide}});
    ToProductWindow();
    ListCategory(kGraphicsCard);
    const std::optional<fs::path> file = Exported(Export(kProduct), "显卡_");
    ASSERT_TRUE(file.has_value());
    const Texts lines = Lines(*file);
    ASSERT_EQ(lines.size(), 2u + 9u + 2u * 9u + 1u);  // seven columns with 库存
    EXPECT_EQ(lines[14], Gbk("    <td>A&amp;B</td>"));
    EXPECT_EQ(lines[15], Gbk("    <td>&lt;B550&gt;</td>"));
    // 259 bytes would end in the middle of the 130th character: 129 stay.
    EXPECT_EQ(lines[17], Gbk("    <td>" + wide.substr(0, 129 * 3) + "</td>"));
    // After one ASCII byte, 259 bytes end on a character boundary.
    EXPECT_EQ(lines[26], Gbk("    <td>a" + wide.substr(0, 129 * 3) + "</td>"));
    responder_.Clear();
  });
}

TEST_F(ExportTest, TwoExportsInOneMinuteKeepBothFiles) {
  Run([&] {
    Seed("显卡", {{"显卡", "A", "G1", 1000, ""}, {"显卡", "B", "G2", 2000, ""},
                  {"显卡", "C", "G3", 3000, ""}});
    ToProductWindow();
    ListCategory(kGraphicsCard);
    const std::array<Stamp, 2> first = Export(kProduct);
    const std::string first_path = Messages().front();
    // A shorter list the second time.
    Ok(runtime_->tables().SelectTable(Gbk("显卡")));
    Ok(runtime_->tables().GoToRecord(3));
    Ok(runtime_->tables().DeleteRecord());
    Ok(runtime_->tables().PurgeDeleted());
    ListCategory(kGraphicsCard);
    const std::array<Stamp, 2> second = Export(kProduct);
    const std::string second_path = Messages().front();
    if (first[0].suffix != second[1].suffix) GTEST_SKIP() << "the minute changed in between";
    // The second file is numbered after the minute; the first keeps its rows.
    const std::string suffix = second[1].suffix;
    EXPECT_EQ(second_path, PathMessage(folder_ / second[1].day /
                                       ("显卡_" + suffix.substr(0, suffix.size() - 4) + "_2.xls")));
    const std::optional<fs::path> file = Exported(first, "显卡_");
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(first_path, PathMessage(*file));
    EXPECT_EQ(Lines(*file).size(), 2u + 9u + 3u * 9u + 1u);  // seven columns with 库存
  });
}

TEST_F(ExportTest, PlainFileInPlaceOfTheDayFolderOpensTheDialog) {
  const fs::path chosen = folder_ / "chosen.xls";
  const fs::path full = folder_ / "full.xls";  // a link to /dev/full
  std::error_code ec;
  fs::remove(chosen, ec);
  fs::remove(full, ec);
  Run([&] {
    for (const Stamp& s : {StampAt(std::time(nullptr)), StampAt(std::time(nullptr) + 60)}) {
      std::ofstream(folder_ / s.day) << "not a folder";
    }
    // Cancelled: nothing said, nothing written. The day folder is missing,
    // so the dialog opens with the export's name in the program folder.
    const std::array<Stamp, 2> when{StampAt(std::time(nullptr)), StampAt(std::time(nullptr))};
    Click(kQuote, kExport);
    ASSERT_EQ(responder_.file_dialogs().size(), 1u);
    EXPECT_TRUE(responder_.file_dialogs()[0].start == (folder_ / ("其它_" + when[0].suffix)).string() ||
                responder_.file_dialogs()[0].start == (folder_ / ("其它_" + when[1].suffix)).string())
        << responder_.file_dialogs()[0].start;
    EXPECT_TRUE(responder_.file_dialogs()[0].save);
    EXPECT_EQ(responder_.file_dialogs()[0].filter,
              Gbk("Excel 工作簿|*.xlsx|CSV UTF-8|*.csv|excel文件|*.xls"));
    EXPECT_EQ(responder_.file_dialogs()[0].default_extension, ".xls");
    EXPECT_EQ(Messages(), Texts{});  // also forgets the dialogs
    EXPECT_FALSE(fs::exists(chosen));

    responder_.QueueFileDialogAnswer(chosen.string());
    Click(kQuote, kExport);
    EXPECT_EQ(Messages(), Texts{Gbk("导出成功！")});
    EXPECT_EQ(Lines(chosen).size(), 2u + 10u + 19u * 10u + 1u);

    // A chosen file that cannot be opened, or cannot take the bytes (a full
    // disk), is a failure and said as one.
    responder_.QueueFileDialogAnswer((folder_ / "no such folder" / "x.xls").string());
    Click(kQuote, kExport);
    EXPECT_EQ(Messages(), Texts{Gbk("导出失败！")});
    if (fs::exists("/dev/full")) {
      fs::create_symlink("/dev/full", full, ec);
      responder_.QueueFileDialogAnswer(full.string());
      Click(kQuote, kExport);
      EXPECT_EQ(Messages(), Texts{Gbk("导出失败！")});
    }
  });
  fs::remove(chosen, ec);
  fs::remove(full, ec);
}

TEST_F(ExportTest, DialogAfterAFailedWriteOpensInTheDayFolderAtTheExportsName) {
  Run([&] {
    // A folder in place of the file: the day folder is there, the write fails.
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now; t <= now + 60; t += 60) {
      const Stamp s = StampAt(t);
      fs::create_directories(folder_ / s.day / ("其它_" + s.suffix));
    }
    Click(kQuote, kExport);
    ASSERT_EQ(responder_.file_dialogs().size(), 1u);
    const std::string start = responder_.file_dialogs()[0].start;
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], Gbk("导出失败！"));
    // The dialog opens where the message said the file would go.
    EXPECT_EQ(Gbk(start), said[0]);
    EXPECT_EQ(fs::path(start).parent_path().parent_path(), folder_) << start;
  });
}

TEST_F(ExportTest, EmptyProductListExportsNothing) {
  Run([&] {
    ToProductWindow();
    Click(kProduct, kExport);
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_TRUE(responder_.file_dialogs().empty());
  });
  EXPECT_FALSE(fs::exists(folder_ / StampAt(std::time(nullptr)).day));
}

TEST_F(ExportTest, LibreOfficeReadsTheChineseCells) {
  const int found = std::system("command -v soffice >/dev/null 2>&1");
  if (found != 0) GTEST_SKIP() << "soffice is not installed";
  const fs::path out = fs::temp_directory_path() / "pcshop-export-csv";
  std::error_code ec;
  fs::remove_all(out, ec);
  std::optional<fs::path> file;
  Run([&] {
    file = Exported(Export(kQuote), "其它_");
    responder_.Clear();
  });
  ASSERT_TRUE(file.has_value());
  const fs::path copy = out / "sheet.xls";  // an ASCII name for the command line
  fs::create_directories(out);
  fs::copy_file(*file, copy);
  // A profile of its own, so that a LibreOffice already running elsewhere
  // does not take the job; the CSV comes out in UTF-8 (filter option 76).
  const std::string command =
      "soffice -env:UserInstallation=file://" + (out / "profile").string() +
      " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir '" +
      out.string() + "' '" + copy.string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const Texts csv = Lines(out / "sheet.csv");
  ASSERT_FALSE(csv.empty());
  const std::string all = ReadAll(out / "sheet.csv");
  EXPECT_NE(all.find("序号,品名,品牌,型号,数量,单价,金额,备注"), std::string::npos) << all;
  EXPECT_NE(all.find("1,CPU"), std::string::npos);
  EXPECT_NE(all.find("14,其它一"), std::string::npos);
  fs::remove_all(out, ec);
}

TEST(ExportNames, ForbiddenCharactersBecomeUnderscoresButTrailBytesStay) {
  EXPECT_EQ(FileNameSafe("a\\b/c:d*e?f\"g<h>i|j"), "a_b_c_d_e_f_g_h_i_j");
  EXPECT_EQ(FileNameSafe("\xB1\x5C\xB1\x7C"), "\xB1\x5C\xB1\x7C");
  EXPECT_EQ(FileNameSafe("\\\xB1\x5C\\"), "_\xB1\x5C_");
  // A lead byte at the very end has no trail byte to protect.
  EXPECT_EQ(FileNameSafe("a\xB1"), "a\xB1");
  EXPECT_EQ(FileNameSafe(""), "");
  // Leading dots and spaces would make a hidden file; inner ones stay.
  EXPECT_EQ(FileNameSafe("..\\..\\x"), "_.._x");
  EXPECT_EQ(FileNameSafe(" . a.b"), "a.b");
  EXPECT_EQ(FileNameSafe("..."), "");
}

TEST(ListHtml, TextCutInsideACharacterLosesTheHalfCharacter) {
  EXPECT_EQ(WholeCharacters("\xBA\xBA\xBA"), "\xBA\xBA");
  EXPECT_EQ(WholeCharacters("a\xBA\xBA"), "a\xBA\xBA");
  EXPECT_EQ(WholeCharacters("ab"), "ab");
  EXPECT_EQ(EscapeHtml("<a href=\"x\">&</a>"), "&lt;a href=\"x\"&gt;&amp;&lt;/a&gt;");
}

}  // namespace
}  // namespace pcshop::app::testing
