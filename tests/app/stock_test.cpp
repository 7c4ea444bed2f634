// The stock windows through the real generated image and the runtime,
// offscreen, as a user works them through the test seam: movements in and
// out, the checks on what is typed, changing and deleting the picked one of
// two look-alikes, the stock tables' layouts, 整单出库 and the export.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/tables/table_store.h"
#include "runtime/ui/test_seam.h"
#include "tests/app/stock_fixture.h"
#include "tests/app/table_expectations.h"
#include "tests/runtime/document/tool_output.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using StockTest = StockFixture;
using pcshop::testing::CellXml;
using pcshop::testing::HasTool;
using pcshop::testing::IsNumberCell;
using pcshop::testing::SheetXml;

constexpr int kCard = 6;  // 显卡 in the category lists

TEST_F(StockTest, APurchaseAndASaleGiveTheOnHandInTheProductListAndInEveryPanel) {
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1000, ""}, {"CPU", "B", "X2", 500, ""}});
    SeedConfig("甲", {{0, "A", "X1", 1, 1000}});
    Click(kQuote, "按钮入库管理");
    EXPECT_EQ(user_->Text(kIn, "编辑框日期"), Today());
    ChooseProduct(kIn, kCpu, "A", 0);
    EXPECT_EQ(user_->Text(kIn, "编辑框价格"), "");  // never bought: no purchase price yet
    EXPECT_EQ(user_->Text(kIn, "透明标签库存"), "库存: 0");
    Enter(kIn, "5", "800");
    EXPECT_EQ(user_->Text(kIn, "编辑框金额"), "4000");
    Ok(user_->SetText(kIn, "编辑框备注", "华强供货"));
    Click(kIn, "按钮新增");
    EXPECT_EQ(
        Messages(),
        (Texts{"正在入库\r\n\r\n品名: CPU\r\n品牌: A\r\n型号: X1\r\n数量: 5\r\n"
               "价格: 800\r\n金额: 4000\r\n日期: " +
                   Today() + "\r\n备注: 华强供货\r\n供应商: 散客\r\n实付: 4000\r\n\r\n确定入库吗",
               "入库成功"}));
    ASSERT_EQ(user_->RowCount(kIn, kList), 1);
    EXPECT_EQ(user_->Cell(kIn, kList, 0, 4), "5");
    EXPECT_EQ(user_->Text(kIn, "透明标签库存"), "库存: 5");
    // The next purchase of it starts from the last purchase price.
    ChooseProduct(kIn, kCpu, "A", 0);
    EXPECT_EQ(user_->Text(kIn, "编辑框价格"), "800");

    Click(kIn, "按钮出库管理");
    ChooseProduct(kOut, kCpu, "A", 0);
    EXPECT_EQ(user_->Text(kOut, "编辑框价格"), "1000");  // the catalogue price
    Ok(user_->SetText(kOut, "编辑框数量", "2"));
    Click(kOut, "按钮新增");
    EXPECT_EQ(Messages().back(), "出库成功");
    EXPECT_EQ(user_->Text(kOut, "透明标签库存"), "库存: 3");

    Click(kOut, "按钮商品管理");
    Click(kProduct, "按钮全部商品");
    ASSERT_EQ(user_->RowCount(kProduct, kList), 2);
    EXPECT_EQ(user_->Cell(kProduct, kList, 0, 6), "3");
    EXPECT_EQ(user_->Cell(kProduct, kList, 1, 6), "0");
    Ok(user_->ChooseComboItem(kProduct, "组合框商品查询类别", kCpu));
    EXPECT_EQ(user_->Cell(kProduct, kList, 0, 6), "3");

    Click(kProduct, "按钮返回");
    Ok(user_->ChooseComboItem(kQuote, "组合框标准配置名", 0));
    Ok(user_->PressListCell(kQuote, "超级列表框配置信息", 0, 0));
    user_->ProcessEvents();
    EXPECT_EQ(user_->Text(kQuote, "透明标签库存"), "库存: 3");
  });
  EXPECT_EQ(Moves("入库"), (std::vector<Move>{{"CPU", "A", "X1", 800, "华强供货", 5, 4000, Today()}}));
  EXPECT_EQ(Moves("出库"), (std::vector<Move>{{"CPU", "A", "X1", 1000, "", 2, 2000, Today()}}));
}

TEST_F(StockTest, EveryBadInputIsRefusedWithItsMessageAndWritesNothing) {
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1000, ""}});
    Click(kQuote, "按钮入库管理");
    Click(kIn, "按钮新增");
    EXPECT_EQ(Messages(), Texts{"请选择商品的品名、品牌和型号"});
    // A product the catalogue does not hold, and a category that is none.
    Ok(user_->ChooseComboItem(kIn, "组合框品名", kCpu));
    Ok(user_->SetText(kIn, "组合框品牌", "A"));
    Ok(user_->SetText(kIn, "组合框型号", "X9"));
    Enter(kIn, "1", "10");
    Click(kIn, "按钮新增");
    EXPECT_EQ(Messages(), Texts{"商品库中没有这个商品:\r\n品名: CPU\r\n品牌: A\r\n型号: X9"});
    Ok(user_->SetText(kIn, "组合框品名", "入库"));
    Ok(user_->SetText(kIn, "组合框型号", "X1"));
    Click(kIn, "按钮新增");
    EXPECT_EQ(Messages().size(), 1u);
    Ok(user_->SetText(kIn, "组合框品名", "CPU"));
    for (const char* quantity : {"", "0", "-3", "abc", "2.5", " 2", "9999999999"}) {
      SCOPED_TRACE(quantity);
      Enter(kIn, quantity, "10");
      Click(kIn, "按钮新增");
      EXPECT_EQ(Messages(), Texts{"数量必须是正整数"});
    }
    for (const char* price : {"", "12元", "-1", "1e3"}) {
      SCOPED_TRACE(price);
      Enter(kIn, "1", price);
      Click(kIn, "按钮新增");
      EXPECT_EQ(Messages(), Texts{"价格必须是不小于0的整数"});
    }
    Enter(kIn, "100000", "100000");
    Click(kIn, "按钮新增");
    EXPECT_EQ(Messages(), Texts{"金额太大，无法记录"});
    Enter(kIn, "1", "10");
    for (const char* date : {"", "明天", "2026年2月30日", "2023-2-29", "2026/13/1", "2026-1/2",
                             "2026年1月1", "26-1-1"}) {
      SCOPED_TRACE(date);
      Ok(user_->SetText(kIn, "编辑框日期", date));
      Click(kIn, "按钮新增");
      EXPECT_EQ(Messages(), Texts{"日期不是有效的日期，请写成 2024年5月3日 或 2024-5-3"});
    }
    // A date in another accepted form is kept in the one form.
    Ok(user_->SetText(kIn, "编辑框日期", "2024-02-29"));
    responder_.QueueMessageBoxAnswer(1);  // and the user cancels
    Click(kIn, "按钮新增");
    const Texts asked = Messages();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("日期: 2024年2月29日"), std::string::npos);
    // 修改 and 删除 without a picked row say so.
    Click(kIn, "按钮修改");
    Click(kIn, "按钮删除");
    EXPECT_EQ(Messages(), (Texts{"请先在列表中选择一条记录", "请先在列表中选择一条记录"}));
  });
  EXPECT_EQ(Moves("入库"), std::vector<Move>{});
}

TEST_F(StockTest, ModifyAndDeleteActOnThePickedOneOfTwoIdenticalMovements) {
  const Move same{"CPU", "A", "X1", 800, "同", 1, 800, "2026年1月2日"};
  const Move other{"CPU", "A", "X1", 800, "别", 2, 1600, "2026年1月2日"};
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1000, ""}});
    SeedMoves("入库", {same, other, same});
    Click(kQuote, "按钮入库管理");
    Click(kIn, "按钮全部商品");
    ASSERT_EQ(user_->RowCount(kIn, kList), 3);
    EXPECT_EQ(user_->Cell(kIn, kList, 2, 0), "3");
    Ok(user_->PressListCell(kIn, kList, 2, 1));
    EXPECT_EQ(user_->Text(kIn, "编辑框备注"), "同");
    EXPECT_EQ(user_->Text(kIn, "编辑框金额"), "800");
    Click(kIn, "按钮修改");
    EXPECT_EQ(Messages(), Texts{"与原记录相同"});
    Ok(user_->SetText(kIn, "编辑框数量", "4"));
    Click(kIn, "按钮修改");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_NE(said[0].find("原数量: 1\r\n"), std::string::npos) << said[0];
    EXPECT_NE(said[0].find("现数量: 4\r\n现价格: 800\r\n现金额: 3200"), std::string::npos);
    EXPECT_EQ(said[1], "修改成功");
    EXPECT_EQ(user_->Cell(kIn, kList, 2, 4), "4");

    // Now delete the first look-alike; cancelling first keeps it.
    Ok(user_->PressListCell(kIn, kList, 0, 1));
    responder_.QueueMessageBoxAnswer(1);
    Click(kIn, "按钮删除");
    EXPECT_EQ(Messages().size(), 1u);
    Click(kIn, "按钮删除");
    EXPECT_EQ(Messages().back(), "删除成功");
    EXPECT_EQ(user_->RowCount(kIn, kList), 2);
  });
  Move changed = same;
  changed.quantity = 4;
  changed.amount = 3200;
  EXPECT_EQ(Moves("入库"), (std::vector<Move>{other, changed}));
}

TEST_F(StockTest, ARowThatChangedUnderAnotherCopyIsNotTouched) {
  const Move m{"CPU", "A", "X1", 800, "", 1, 800, "2026年1月2日"};
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1000, ""}});
    SeedMoves("出库", {m});
    Click(kQuote, "按钮出库管理");
    Click(kOut, "按钮全部商品");
    Ok(user_->PressListCell(kOut, kList, 0, 1));
    {  // another copy changes the movement meanwhile
      TestStore store;
      Ok(store.OpenTable(StockFile("出库").string(), "other"));
      const tables::OptionalValue values[] = {std::nullopt, std::nullopt, std::nullopt,
                                              std::nullopt, Gbk("别处")};
      Ok(store.ModifyRecord(values));
    }
    Click(kOut, "按钮删除");
    EXPECT_EQ(Messages(), Texts{"这条记录已被改动或删除，请重新查询"});
  });
  EXPECT_EQ(Moves("出库").size(), 1u);
}

TEST_F(StockTest, AnOldFiveFieldStockTableIsUpgradedAndKeepsItsRecords) {
  fs::create_directories(data());
  {
    TestStore store;
    std::vector<tables::FieldSpec> five = EightMovementFields();
    five.resize(5);
    Ok(store.CreateTable(StockFile("入库").string(), five));
    Ok(store.OpenTable(StockFile("入库").string(), "old"));
    for (const char* model : {"X1", "X2"}) {
      const tables::FieldValue values[] = {Gbk("CPU"), Gbk("A"), std::string(model), 5,
                                           Gbk("旧")};
      Ok(store.AppendRecord(values));
    }
  }
  Run([&] {
    Click(kQuote, "按钮入库管理");
    EXPECT_EQ(Messages(), Texts{});
    Click(kIn, "按钮全部商品");
    EXPECT_EQ(user_->RowCount(kIn, kList), 2);
  });
  EXPECT_EQ(FieldsOf(data() / "入库.zdb"), MovementFields(false));  // a native (UTF-8) path
  EXPECT_EQ(Moves("入库"), (std::vector<Move>{{"CPU", "A", "X1", 5, "旧", 0, 0, ""},
                                             {"CPU", "A", "X2", 5, "旧", 0, 0, ""}}));
}

TEST_F(StockTest, AForeignStockTableIsRefusedUntouchedAndTheWindowSaysSo) {
  fs::create_directories(data());
  {
    TestStore store;
    const std::vector<tables::FieldSpec> foreign = {{Gbk("品名"), 10, 20}, {Gbk("数量"), 10, 20}};
    Ok(store.CreateTable(StockFile("出库").string(), foreign));
  }
  const std::string before = ReadAll(StockFile("出库"));
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1000, ""}});
    Click(kQuote, "按钮出库管理");
    EXPECT_EQ(Messages(), Texts{"出库.zdb的格式无法识别，本窗口不能使用它。文件未作改动。"});
    ChooseProduct(kOut, kCpu, "A", 0);
    Enter(kOut, "1", "1");
    Click(kOut, "按钮新增");
    EXPECT_EQ(Messages().size(), 1u);
    Click(kOut, "按钮商品管理");
    Click(kProduct, "按钮全部商品");
    EXPECT_EQ(user_->Cell(kProduct, kList, 0, 6), "");  // not known, not a made-up 0
  });
  EXPECT_EQ(ReadAll(StockFile("出库")), before);
}

TEST_F(StockTest, SellingASixRowConfigurationNamesTheShortPartAndWritesAllRowsOrNone) {
  Run([&] {
    SeedSixPartSale();
    SeedMoves("入库", {{"CPU", "I", "C1", 900, "", 3, 2700, "2026年1月1日"},
                       {"主板", "M", "B1", 600, "", 3, 1800, "2026年1月1日"},
                       {"内存", "K", "R1", 200, "", 1, 200, "2026年1月1日"},
                       {"显卡", "N", "G1", 1800, "", 3, 5400, "2026年1月1日"},
                       {"电源", "P", "P1", 300, "", 3, 900, "2026年1月1日"},
                       {"其它", "W", "O1", 40, "", 3, 120, "2026年1月1日"}});
    Click(kQuote, "按钮出库管理");
    Click(kOut, "按钮整单出库");
    EXPECT_EQ(Messages(), Texts{"请选择配置名"});
    Ok(user_->ChooseComboItem(kOut, "组合框配置名", 0));
    responder_.QueueMessageBoxAnswer(1);  // Cancel writes nothing
    Click(kOut, "按钮整单出库");
    const Texts asked = Messages();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0],
              "整单出库: 王先生\r\n"
              "\r\nCPU I C1 × 1  单价 1000  金额 1000"
              "\r\n主板 M B1 × 1  单价 700  金额 700"
              "\r\n内存 K R1 × 2  单价 300  金额 600"
              "\r\n显卡 N G1 × 1  单价 2000  金额 2000"
              "\r\n电源 P P1 × 1  单价 400  金额 400"
              "\r\n其它 W O1 × 1  单价 50  金额 50"
              "\r\n合计金额: 4750"
              "\r\n客户: 散客\r\n实收: 4750"
              "\r\n\r\n以下商品库存不足（仍可出库）:"
              "\r\n内存 K R1  现有 1，出库后 -1"
              "\r\n\r\n确定出库吗");
    EXPECT_EQ(Moves("出库").size(), 0u);
    Click(kOut, "按钮整单出库");
    EXPECT_EQ(Messages().back(), "整单出库成功，记录数: 6");
    EXPECT_EQ(user_->RowCount(kOut, kList), 6);
  });
  const std::vector<Move> sold = Moves("出库");
  ASSERT_EQ(sold.size(), 6u);
  EXPECT_EQ(sold[2], (Move{"内存", "K", "R1", 300, "整单:王先生", 2, 600, Today()}));
  EXPECT_EQ(sold[5].kind, "其它");
  for (const Move& m : sold) EXPECT_EQ(m.remark, "整单:王先生");
}

TEST_F(StockTest, ExportWritesTheListUnderTheStockTablesName) {
  const fs::path day_root = folder_;
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1000, ""}});
    SeedMoves("入库", {{"CPU", "A", "X1", 800, "华强", 5, 4000, "2026年1月2日"}});
    Click(kQuote, "按钮入库管理");
    Click(kIn, "按钮配置导出");
    EXPECT_EQ(Messages(), Texts{});  // an empty list exports nothing
    Click(kIn, "按钮全部商品");
    Click(kIn, "按钮配置导出");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], "导出成功！");
    const std::string shown = said[0];
    const size_t name_at = shown.rfind('/');
    ASSERT_NE(name_at, std::string::npos);
    EXPECT_EQ(shown.substr(name_at + 1, 7), "入库_");
    // The path as shown, beside the program: folder/day/name.
    const size_t day_at = shown.rfind('/', name_at - 1);
    const fs::path file = day_root / shown.substr(day_at + 1, name_at - day_at - 1) /
                          shown.substr(name_at + 1);
    const std::string html = ReadAll(file);
    EXPECT_NE(html.find("<th>" + Gbk("日期") + "</th>"), std::string::npos);
    EXPECT_NE(html.find("<td>" + Gbk("华强") + "</td>"), std::string::npos);
    std::error_code ec;
    fs::remove_all(file.parent_path(), ec);
  });
}

TEST_F(StockTest, AfterAWriteThePanelIsReadyForTheNextMovementAndTheListKeepsItsView) {
  const auto panel = [&] {
    Texts shown;
    for (const char* box : {"组合框品名", "组合框品牌", "组合框型号", "编辑框价格", "编辑框数量",
                            "编辑框金额", "编辑框备注", "编辑框日期"}) {
      shown.push_back(user_->Text(kIn, box));
    }
    return shown;
  };
  const Texts ready{"CPU", "A", "X1", "800", "", "", "", Today()};
  const auto kinds = [&] {
    Texts listed;
    for (int r = 0; r < user_->RowCount(kIn, kList); ++r) {
      listed.push_back(user_->Cell(kIn, kList, r, 1));
    }
    return listed;
  };
  const auto add = [&](const std::string& quantity) {
    Enter(kIn, quantity, "800");
    Click(kIn, "按钮新增");
    EXPECT_EQ(Messages().back(), "入库成功");
  };
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1000, ""}});
    Seed("显卡", {{"显卡", "N", "G1", 2000, ""}});
    SeedMoves("入库", {{"显卡", "N", "G1", 1800, "", 1, 1800, "2026年1月2日"}});
    Click(kQuote, "按钮入库管理");
    Click(kIn, "按钮全部商品");
    ChooseProduct(kIn, kCpu, "A", 0);
    Ok(user_->SetText(kIn, "编辑框备注", "华强"));
    Ok(user_->SetText(kIn, "编辑框日期", "2024-5-3"));  // a receipt entered late
    add("5");
    EXPECT_EQ(panel(), ready);
    EXPECT_EQ(user_->Text(kIn, "透明标签库存"), "库存: 5");
    EXPECT_EQ(kinds(), (Texts{"显卡", "CPU"}));  // still 全部商品
    // Once more at once: nothing to record twice.
    Click(kIn, "按钮新增");
    EXPECT_EQ(Messages(), Texts{"数量必须是正整数"});

    // A listed category stays when the movement is of it; otherwise the
    // list shows all rather than hide what the user was looking at.
    Ok(user_->ChooseComboItem(kIn, "组合框商品查询类别", kCpu));
    add("1");
    EXPECT_EQ(user_->CurrentIndex(kIn, "组合框商品查询类别"), kCpu);
    EXPECT_EQ(kinds(), (Texts{"CPU", "CPU"}));
    Ok(user_->ChooseComboItem(kIn, "组合框商品查询类别", kCard));
    add("2");
    EXPECT_EQ(user_->CurrentIndex(kIn, "组合框商品查询类别"), -1);
    EXPECT_EQ(kinds(), (Texts{"显卡", "CPU", "CPU", "CPU"}));

    // 修改 leaves the panel ready too.
    Ok(user_->PressListCell(kIn, kList, 3, 1));
    Ok(user_->SetText(kIn, "编辑框数量", "3"));
    Click(kIn, "按钮修改");
    EXPECT_EQ(Messages().back(), "修改成功");
    EXPECT_EQ(panel(), ready);
  });
  const std::vector<Move> moves = Moves("入库");
  ASSERT_EQ(moves.size(), 4u);
  EXPECT_EQ(moves[1], (Move{"CPU", "A", "X1", 800, "华强", 5, 4000, "2024年5月3日"}));
  EXPECT_EQ(moves[2], (Move{"CPU", "A", "X1", 800, "", 1, 800, Today()}));
  EXPECT_EQ(moves[3], (Move{"CPU", "A", "X1", 800, "", 3, 2400, Today()}));
}

TEST_F(StockTest, SaveAsWritesTheMovementsAsAWorkbookWithNumberCellsOrAsCsv) {
  const fs::path xlsx = folder_ / "sales.xlsx";
  const fs::path csv = folder_ / "sales.csv";
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1000, ""}});
    SeedMoves("出库", {{"CPU", "A", "X1", 1000, "张三", 2, 2000, "2026年1月2日"}});
    Click(kQuote, "按钮出库管理");
    Click(kOut, "按钮另存为");
    EXPECT_TRUE(responder_.file_dialogs().empty());  // an empty list saves nothing
    Click(kOut, "按钮全部商品");
    for (const fs::path& file : {xlsx, csv}) {
      responder_.QueueFileDialogAnswer(file.string());
      Click(kOut, "按钮另存为");
      EXPECT_EQ(Messages(), Texts{"导出成功！"});
    }
  });
  EXPECT_EQ(ReadAll(csv),
            "\xEF\xBB\xBF序号,品名,品牌,型号,数量,价格,金额,日期,备注,客户,实收,成本\r\n"
            "1,CPU,A,X1,2,1000,2000,2026年1月2日,张三,,2000,\r\n");
  if (HasTool("unzip")) {
    const std::string sheet = SheetXml(xlsx);
    EXPECT_TRUE(IsNumberCell(sheet, "E2", "2")) << sheet;     // 数量
    EXPECT_TRUE(IsNumberCell(sheet, "F2", "1000")) << sheet;  // 价格
    EXPECT_TRUE(IsNumberCell(sheet, "G2", "2000")) << sheet;  // 金额
    // 日期 stays text.
    EXPECT_NE(CellXml(sheet, "H2").find(" t=\""), std::string::npos) << sheet;
    const std::string book =
        pcshop::testing::ToolOutput("unzip -p '" + xlsx.string() + "' xl/workbook.xml");
    EXPECT_NE(book.find("name=\"出库\""), std::string::npos) << book;
  }
  std::error_code ec;
  fs::remove(xlsx, ec);
  fs::remove(csv, ec);
}

}  // namespace
}  // namespace pcshop::app::testing
