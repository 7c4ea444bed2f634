// Saved configurations through the real generated image and the runtime,
// offscreen: saving the quote sheet under a name, choosing a name to load
// it, deleting it, as a user does it through the test seam. Configurations
// are seeded straight into "DATA/配置.zdb" where that keeps a test short.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <ctime>
#include <filesystem>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "image/event_numbers.h"
#include "runtime/tables/table_store.h"
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
constexpr char kGrid[] = "超级列表框配置信息";
constexpr char kNameBox[] = "组合框标准配置名";
constexpr char kStampBox[] = "编辑框标准生成日期";
constexpr char kRemarkBox[] = "编辑框配置备注";
constexpr int kTotals = 15;
constexpr std::array<const char*, 15> kLabels = {
    "CPU",  "散热器", "主板", "内存", "机械盘", "固态盘", "显卡",  "显示器",
    "机箱", "电源",   "键盘", "鼠标", "音箱",   "其它一", "其它二"};

// One quote row as the table holds it; texts UTF-8.
struct Row {
  std::string kind, brand, model;
  int64_t quantity = 0, price = 0, amount = 0;
  std::string remark;
  bool operator==(const Row&) const = default;
};

struct Config {
  std::string name, stamp;
  std::array<Row, 15> rows;
  std::string remark;
  bool operator==(const Config&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Config& c) {
  os << c.name << "|" << c.stamp << "|";
  for (const Row& r : c.rows) {
    os << r.kind << "/" << r.brand << "/" << r.model << "/" << r.quantity << "/" << r.price
       << "/" << r.amount << "/" << r.remark << ";";
  }
  return os << "|" << c.remark;
}

// A full sheet whose every cell differs from the others.
Config Sample(const std::string& name, const std::string& remark = "备注") {
  Config c{name, "2024年5月3日14点7分", {}, remark};
  for (int r = 0; r < 15; ++r) {
    const std::string n = std::to_string(r + 1);
    c.rows[static_cast<size_t>(r)] = {kLabels[static_cast<size_t>(r)], "牌" + n, "型号-" + n,
                                      r + 1, 100 * (r + 1), (r + 1) * 100 * (r + 1),
                                      "说明" + n};
  }
  return c;
}

// The local time as the program's stamp, for a save made about now.
std::string StampOf(std::time_t when) {
  std::tm tm{};
  ::localtime_r(&when, &tm);
  return std::to_string(tm.tm_year + 1900) + "年" + std::to_string(tm.tm_mon + 1) + "月" +
         std::to_string(tm.tm_mday) + "日" + std::to_string(tm.tm_hour) + "点" +
         std::to_string(tm.tm_min) + "分";
}

class SavedConfigTest : public AppFixture {
 protected:
  void Run(const std::function<void()>& scenario) {
    AppFixture::Run(scenario);
    EXPECT_EQ(Errors(), "") << "the runtime reported a fault";
  }

  void Click(const char* control) {
    Ok(user_->Click(kQuote, control));
    user_->ProcessEvents();
  }
  void Save() { Click("按钮配置保存"); }
  void Delete() { Click("按钮配置删除"); }
  void Choose(int item) { Ok(user_->ChooseComboItem(kQuote, kNameBox, item)); }
  // The name box's "item chosen" event whatever the box holds: the arrow
  // keys choose from a list that was not rebuilt, with no drop-down first.
  void RaiseLoad() {
    ui::WindowManager& windows = *runtime_->windows();
    const auto ref = windows.FindByName(kQuote, kNameBox);
    ASSERT_TRUE(ref.has_value());
    windows.RaiseEvent(*ref, image::event::kComboItemChosen);
  }
  std::string Cell(int row, int column) { return user_->Cell(kQuote, kGrid, row, column); }
  // Changes a cell as a user does: press on it, type into the cell editor,
  // press Enter.
  void Edit(int row, int column, const std::string& text) {
    Ok(user_->PressListCell(kQuote, kGrid, row, column));
    user_->ProcessEvents();
    Ok(user_->SetText(kQuote, "组合框1", text));
    Ok(user_->PressEnter(kQuote, "组合框1"));
    user_->ProcessEvents();
  }
  std::string Text(const char* control) { return user_->Text(kQuote, control); }

  // UTF-8 texts of the message boxes since the last call.
  Texts Messages() {
    Texts texts = responder_.MessageTexts();
    responder_.Clear();
    return texts;
  }

  fs::path ConfigFile() const { return data() / Gbk("配置.zdb"); }

  // Appends configurations to the table, creating it first with the
  // start-up's layout when the program has not run yet.
  void Seed(const std::vector<Config>& configs) {
    fs::create_directories(data());
    TestStore store;
    if (!store.OpenTable(ConfigFile().string(), "seed").ok()) {
      const std::vector<tables::FieldSpec> fields = StartupTables().back().fields;
      Ok(store.CreateTable(ConfigFile().string(), fields));
      Ok(store.OpenTable(ConfigFile().string(), "seed"));
    }
    for (const Config& c : configs) {
      std::vector<tables::FieldValue> values = {Gbk(c.name), Gbk(c.stamp)};
      for (const Row& r : c.rows) {
        values.insert(values.end(), {Gbk(r.kind), Gbk(r.brand), Gbk(r.model), r.quantity,
                                     r.price, r.amount, Gbk(r.remark)});
      }
      values.push_back(Gbk(c.remark));
      Ok(store.AppendRecord(values));
    }
  }

  // The records of the table; a field of the wrong kind reads "?" or -1.
  std::vector<Config> Records() {
    std::vector<Config> out;
    TestStore store;
    if (!store.OpenTable(ConfigFile().string(), "read").ok()) return out;
    auto counted = store.RecordCount();
    auto fields = store.Fields();
    if (!counted.ok() || !fields.ok() || fields->size() != 108) return out;
    for (int32_t n = 1; n <= *counted; ++n) {
      (void)store.GoToRecord(n);
      size_t at = 0;
      auto next_value = [&] {
        auto v = store.ReadField((*fields)[at++].name);
        return v.ok() ? *v : tables::FieldValue(std::string("?"));
      };
      auto text = [&] {
        const tables::FieldValue v = next_value();
        return tables::IsText(v) ? Utf8(std::get<std::string>(v)) : std::string("?");
      };
      auto integer = [&] {
        const tables::FieldValue v = next_value();
        return tables::IsText(v) ? -1 : std::get<int64_t>(v);
      };
      Config c;
      c.name = text();
      c.stamp = text();
      for (Row& r : c.rows) {
        r.kind = text();
        r.brand = text();
        r.model = text();
        r.quantity = integer();
        r.price = integer();
        r.amount = integer();
        r.remark = text();
      }
      c.remark = text();
      out.push_back(c);
    }
    return out;
  }

  // The sheet shows `c` as a load leaves it, the totals row included.
  void ExpectSheetShows(const Config& c) {
    int64_t quantity = 0, price = 0, amount = 0;
    for (int r = 0; r < 15; ++r) {
      const Row& row = c.rows[static_cast<size_t>(r)];
      const Texts want = {std::to_string(r + 1),        kLabels[static_cast<size_t>(r)],
                          row.brand,                    row.model,
                          std::to_string(row.quantity), std::to_string(row.price),
                          std::to_string(row.amount),   row.remark};
      for (int col = 0; col < 8; ++col) {
        EXPECT_EQ(Cell(r, col), want[static_cast<size_t>(col)]) << "row " << r << " col " << col;
      }
      quantity += row.quantity;
      price += row.price;
      amount += row.amount;
    }
    EXPECT_EQ(Cell(kTotals, 2), c.name);
    EXPECT_EQ(Cell(kTotals, 3), c.remark);
    EXPECT_EQ(Cell(kTotals, 4), std::to_string(quantity));
    EXPECT_EQ(Cell(kTotals, 5), std::to_string(price));
    EXPECT_EQ(Cell(kTotals, 6), std::to_string(amount));
    EXPECT_EQ(Text(kStampBox), c.stamp);
    EXPECT_EQ(Text(kRemarkBox), c.remark);
  }

  // The sheet as the reset leaves it: numbers and labels, nothing else.
  void ExpectEmptySheet() {
    for (int r = 0; r < 15; ++r) {
      EXPECT_EQ(Cell(r, 0), std::to_string(r + 1));
      EXPECT_EQ(Cell(r, 1), kLabels[static_cast<size_t>(r)]);
      for (int col = 2; col < 8; ++col) EXPECT_EQ(Cell(r, col), "") << r << "/" << col;
    }
    for (int col = 2; col < 7; ++col) EXPECT_EQ(Cell(kTotals, col), "") << col;
    EXPECT_EQ(Text(kStampBox), "");
    EXPECT_EQ(Text(kRemarkBox), "");
  }

};

TEST_F(SavedConfigTest, ATypedNameIsWrittenOnceAndRefusedWhenItExists) {
  Seed({Sample("老配置")});
  Run([&] {
    Save();
    EXPECT_EQ(Messages(), Texts{"请输入配置名"});
    Ok(user_->SetText(kQuote, kNameBox, "新配置"));
    Ok(user_->SetText(kQuote, kRemarkBox, "第一次"));
    Save();
    EXPECT_EQ(Messages(), Texts{"写入配置成功"});
    // The name box still has no chosen item: the second save is refused.
    Ok(user_->SetText(kQuote, kRemarkBox, "第二次"));
    Save();
    EXPECT_EQ(Messages(), Texts{"写入配置失败！"});
    // So is an existing name typed by hand.
    Ok(user_->SetText(kQuote, kNameBox, "老配置"));
    Save();
    EXPECT_EQ(Messages(), Texts{"写入配置失败！"});
  });
  const std::vector<Config> records = Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], Sample("老配置"));
  EXPECT_EQ(records[1].name, "新配置");
  EXPECT_EQ(records[1].remark, "第一次");
}

TEST_F(SavedConfigTest, AChosenNameIsOverwrittenWithANewStamp) {
  Config old = Sample("甲");
  old.stamp = "2024年12月31日23点59分";  // 22 bytes in a field 20 wide
  Seed({Sample("乙"), old});
  std::time_t before = 0;
  Run([&] {
    Choose(1);
    EXPECT_EQ(Messages(), Texts{});
    ExpectSheetShows(old);  // the stamp whole
    Edit(6, 4, "3");
    Edit(8, 2, "新牌");
    Ok(user_->SetText(kQuote, kRemarkBox, "改过的备注"));
    before = std::time(nullptr);
    Save();
    EXPECT_EQ(Messages(), Texts{"修改配置成功"});
  });
  const std::time_t after = std::time(nullptr);
  const std::vector<Config> records = Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], Sample("乙"));
  Config want = old;
  want.remark = "改过的备注";
  want.rows[6].quantity = 3;
  want.rows[6].amount = 3 * 700;
  want.rows[8].brand = "新牌";
  want.stamp = records[1].stamp;
  EXPECT_EQ(records[1], want);
  EXPECT_TRUE(records[1].stamp == StampOf(before) || records[1].stamp == StampOf(after))
      << records[1].stamp;
}

TEST_F(SavedConfigTest, TypingAnotherExistingNameAfterChoosingDoesNotOverwriteIt) {
  Seed({Sample("甲", "甲的"), Sample("乙", "乙的")});
  Run([&] {
    Choose(0);
    Ok(user_->SetText(kQuote, kNameBox, "乙"));
    ASSERT_EQ(user_->CurrentIndex(kQuote, kNameBox), 0);  // 甲 is still the chosen item
    Save();
    EXPECT_EQ(Messages(), Texts{"写入配置失败！"});
  });
  EXPECT_EQ(Records(), (std::vector<Config>{Sample("甲", "甲的"), Sample("乙", "乙的")}));
}

TEST_F(SavedConfigTest, ALoadWithAnEmptyNameTakesTheStandardNameOfTheCount) {
  Config third = Sample("标准配置3", "第三个");
  third.rows[6] = {"显卡", "牌", "RTX", 2, 1999, 3998, ""};
  Seed({Sample("甲"), Sample("乙"), third});
  Run([&] {
    RaiseLoad();
    EXPECT_EQ(Text(kNameBox), "标准配置3");
    ExpectSheetShows(third);
    // A name that is not there leaves the sheet cleared, without a word.
    Ok(user_->SetText(kQuote, kNameBox, "丙"));
    RaiseLoad();
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_EQ(Cell(0, 0), "");
    EXPECT_EQ(Cell(6, 3), "");
    EXPECT_EQ(Cell(kTotals, 2), "");
    EXPECT_EQ(Text(kStampBox), "");
  });
}

TEST_F(SavedConfigTest, ADeleteTakesItsConfigurationAndNoneAnInterruptedDeleteMarked) {
  Seed({Sample("一"), Sample("二")});
  {
    // An earlier run was stopped between a delete's mark and its purge.
    TestStore store;
    Ok(store.OpenTable(ConfigFile().string(), "mark"));
    Ok(store.DeleteRecord());
  }
  Run([&] {
    Choose(1);
    Delete();
    EXPECT_EQ(Messages(), (Texts{"确定删除配置单: 二 吗", "配置单: 二 已删除!"}));
  });
  EXPECT_EQ(Records(), std::vector<Config>{Sample("一")});
}

TEST_F(SavedConfigTest, DeletingTheOnlyConfigurationResetsTheSheet) {
  Seed({Sample("唯一")});
  Run([&] {
    // Typed, not chosen: nothing is asked.
    Ok(user_->SetText(kQuote, kNameBox, "唯一"));
    Delete();
    EXPECT_EQ(Messages(), Texts{});
    Choose(0);
    responder_.QueueMessageBoxAnswer(1);
    Delete();
    EXPECT_EQ(Messages(), Texts{"确定删除配置单: 唯一 吗"});
    EXPECT_EQ(Cell(0, 2), "牌1");
    Delete();
    ASSERT_EQ(responder_.message_boxes().size(), 2u);
    EXPECT_EQ(responder_.message_boxes()[0].style, 1);
    EXPECT_EQ(Messages(), (Texts{"确定删除配置单: 唯一 吗", "配置单: 唯一 已删除!"}));
    ExpectEmptySheet();
    EXPECT_EQ(user_->CurrentIndex(kQuote, kNameBox), -1);
    EXPECT_EQ(Text(kNameBox), "");
    RaiseLoad();
    EXPECT_EQ(Messages(), Texts{"无标准配置"});
  });
  EXPECT_EQ(Records(), std::vector<Config>{});
}

TEST_F(SavedConfigTest, LeavingTheNameBoxEmptyResetsTheSheet) {
  Seed({Sample("甲")});
  Run([&] {
    Choose(0);
    Ok(user_->LeaveControl(kQuote, kNameBox));
    EXPECT_EQ(Cell(0, 2), "牌1");  // a name in the box keeps the sheet
    Ok(user_->SetText(kQuote, kNameBox, ""));
    Ok(user_->LeaveControl(kQuote, kNameBox));
    ExpectEmptySheet();
    EXPECT_EQ(Messages(), Texts{});
  });
}

TEST_F(SavedConfigTest, AllFieldsRoundTripThroughTheSheet) {
  Config c = Sample("原样");
  c.rows[13].kind = "U盘";  // a stored kind; the sheet shows the row's label
  c.rows[1].amount = 7;     // an amount is kept as stored, not recomputed
  Seed({c});
  Run([&] {
    Choose(0);
    Edit(0, 5, "12.5");  // a fraction in 单价
    Edit(2, 4, "2台");   // letters after the quantity
    EXPECT_EQ(Cell(0, 6), "12");
    Ok(user_->SetText(kQuote, kNameBox, "副本"));
    Save();
    EXPECT_EQ(Messages(), Texts{"写入配置成功"});
  });
  const std::vector<Config> records = Records();
  ASSERT_EQ(records.size(), 2u);
  Config want = c;
  want.name = "副本";
  want.stamp = records[1].stamp;
  want.rows[13].kind = "其它一";
  want.rows[0].price = 12;
  want.rows[0].amount = 12;
  want.rows[2].quantity = 2;
  want.rows[2].amount = 2 * 300;
  EXPECT_EQ(records[1], want);
}

TEST_F(SavedConfigTest, AmountsBeyondThirtyTwoBitsAreSavedAndLoadedAsShown) {
  Run([&] {
    Edit(0, 2, "A");
    Edit(0, 4, "3000000000");
    Edit(0, 5, "3000000000");
    Edit(1, 2, "B");
    Edit(1, 4, "100000");
    Edit(1, 5, "99999");
    ASSERT_EQ(Cell(0, 6), "9000000000000000000");
    ASSERT_EQ(Cell(1, 6), "9999900000");
    Ok(user_->SetText(kQuote, kNameBox, "大单"));
    Save();
    EXPECT_EQ(Messages(), Texts{"写入配置成功"});
    Ok(user_->SetText(kQuote, kNameBox, ""));
    Ok(user_->LeaveControl(kQuote, kNameBox));
    Choose(0);
    EXPECT_EQ(Cell(0, 4), "3000000000");
    EXPECT_EQ(Cell(0, 6), "9000000000000000000");
    EXPECT_EQ(Cell(1, 6), "9999900000");
    EXPECT_EQ(Cell(kTotals, 4), "3000100000");
    EXPECT_EQ(Cell(kTotals, 5), "3000099999");
    EXPECT_EQ(Cell(kTotals, 6), "9000000009999900000");
    EXPECT_EQ(Messages(), Texts{});
  });
  const std::vector<Config> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].rows[0].quantity, 3000000000);
  EXPECT_EQ(records[0].rows[0].amount, 9000000000000000000);
  EXPECT_EQ(records[0].rows[1].amount, 9999900000);
}

TEST_F(SavedConfigTest, LoadedTotalsThatDoNotFitInSixtyFourBitsStayEmpty) {
  Config big = Sample("溢出");
  big.rows[0].amount = std::numeric_limits<int64_t>::max();
  big.rows[1].amount = 1;
  Seed({big});
  Run([&] {
    Choose(0);
    EXPECT_EQ(Cell(0, 6), "9223372036854775807");
    EXPECT_EQ(Cell(kTotals, 6), "");
    EXPECT_EQ(Cell(kTotals, 4), "120");
  });
}

TEST_F(SavedConfigTest, SavedConfigurationsSurviveARestart) {
  PCSHOP_SKIP_ON_SERVER("the restart carries the data folder over");
  Run([&] {
    Ok(user_->SetText(kQuote, kNameBox, "留下"));
    Ok(user_->SetText(kQuote, kRemarkBox, "下次再看"));
    Save();
    EXPECT_EQ(Messages(), Texts{"写入配置成功"});
  });
  // A new process: the data folder is all that carries over.
  const fs::path kept = folder_ / "saved-config-kept";
  fs::remove_all(kept);
  fs::copy(data(), kept, fs::copy_options::recursive);
  TearDown();
  SetUp();
  ASSERT_FALSE(HasFatalFailure());
  fs::copy(kept, data(), fs::copy_options::recursive);
  fs::remove_all(kept);
  Run([&] {
    Choose(0);
    EXPECT_EQ(Text(kNameBox), "留下");
    EXPECT_EQ(Text(kRemarkBox), "下次再看");
    EXPECT_EQ(Cell(kTotals, 2), "留下");
    EXPECT_EQ(Cell(0, 1), "CPU");
  });
}

}  // namespace
}  // namespace pcshop::app::testing
