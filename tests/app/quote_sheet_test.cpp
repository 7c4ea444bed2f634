// The quote sheet's cell editor through the real generated image and the
// runtime, offscreen: pressing cells, choosing or typing in the editor,
// committing with Enter or by leaving it, and the amounts, totals and panel
// that follow. The program folder is shared with the other app tests: same
// lock.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"
#include "runtime/ui/widgets.h"
#include "runtime/ui/window_manager.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

using Texts = std::vector<std::string>;

constexpr char kQuote[] = "窗口配置单";
constexpr char kGrid[] = "超级列表框配置信息";
constexpr char kEditor[] = "组合框1";

// Grid columns and rows.
constexpr int kBrand = 2, kModel = 3, kQuantity = 4, kPrice = 5, kAmount = 6, kRemark = 7;
constexpr int kTotals = 15;

class QuoteSheetTest : public AppFixture {
 protected:
  // Runs `scenario` with the quote window open; the sheet shows no message
  // and the runtime reports no fault.
  void Run(const std::function<void()>& scenario) {
    AppFixture::Run(scenario);
    EXPECT_TRUE(responder_.message_boxes().empty()) << "the sheet showed a message";
    EXPECT_EQ(Errors(), "") << "the runtime reported a fault";
  }



  void Press(int row, int column) {
    Ok(user_->PressListCell(kQuote, kGrid, row, column));
    user_->ProcessEvents();
  }
  // Types `text` into the open editor and presses Enter.
  void Commit(const std::string& text) {
    Ok(user_->SetText(kQuote, kEditor, text));
    Ok(user_->PressEnter(kQuote, kEditor));
    user_->ProcessEvents();
  }
  // Presses the cell and commits `text` into it.
  void Enter(int row, int column, const std::string& text) {
    Press(row, column);
    Commit(text);
  }

  std::string Cell(int row, int column) { return user_->Cell(kQuote, kGrid, row, column); }
  // 型号 to 备注 of a row.
  Texts Details(int row) {
    Texts cells;
    for (int c = kModel; c <= kRemark; ++c) cells.push_back(Cell(row, c));
    return cells;
  }
  Texts Totals() { return {Cell(kTotals, kQuantity), Cell(kTotals, kAmount)}; }
  Texts Choices() { return user_->Items(kQuote, kEditor); }
  bool EditorOpen() { return user_->Visible(kQuote, kEditor); }

};

TEST_F(QuoteSheetTest, QuantityCellOffersOneAndTwoAndTheTotalsFollowTheChoice) {
  Run([&] {
    Seed("CPU", {{"CPU", "Intel", "i5", 1000, "盒装"}, {"CPU", "AMD", "R5", 900, ""}});
    Press(0, kBrand);
    EXPECT_TRUE(EditorOpen());
    EXPECT_EQ(Choices(), (Texts{"Intel", "AMD"}));
    Commit("Intel");
    Press(0, kModel);
    EXPECT_EQ(Choices(), Texts{"i5"});
    Commit("i5");
    EXPECT_FALSE(EditorOpen());

    Press(0, kQuantity);
    EXPECT_EQ(Choices(), (Texts{"1", "2"}));
    EXPECT_EQ(Details(0), (Texts{"i5", "1", "1000", "1000", "盒装"}));
    EXPECT_EQ(user_->Text(kQuote, kEditor), "1");  // the cell's text, not the price
    Ok(user_->ChooseComboItem(kQuote, kEditor, 1));
    Ok(user_->PressEnter(kQuote, kEditor));
    user_->ProcessEvents();
    EXPECT_EQ(Details(0), (Texts{"i5", "2", "1000", "2000", "盒装"}));
    // The totals row has no brand on a fresh sheet, yet keeps its sums.
    EXPECT_EQ(Totals(), (Texts{"2", "2000"}));

    // Typing a quantity works the same; any press on the row first goes
    // back to one piece at the catalogue's price.
    Enter(0, kQuantity, "3");
    EXPECT_EQ(Details(0), (Texts{"i5", "3", "1000", "3000", "盒装"}));
    Enter(0, kPrice, "1200");
    EXPECT_EQ(Details(0), (Texts{"i5", "1", "1200", "1200", "盒装"}));
    EXPECT_EQ(Totals(), (Texts{"1", "1200"}));
  });
}

TEST_F(QuoteSheetTest, EditorIsLaidOverThePressedCell) {
  Run([&] {
    ui::WindowManager& windows = *runtime_->windows();
    auto* editor = windows.Widget(*windows.FindByName(kQuote, kEditor));
    auto* grid = dynamic_cast<ui::ListView*>(windows.Widget(*windows.FindByName(kQuote, kGrid)));
    ASSERT_NE(grid, nullptr);
    for (auto [row, column] :
         {std::pair{0, 0}, {6, kModel}, {kTotals, kAmount}, {18, kPrice}, {2, kRemark}}) {
      Press(row, column);
      ASSERT_TRUE(EditorOpen());
      const QPoint inside =
          editor->geometry().topLeft() + QPoint(3, 3) - grid->geometry().topLeft();
      EXPECT_EQ(grid->HitTest(inside), std::make_pair(row, column)) << row << "," << column;
      EXPECT_EQ(editor->width(), grid->columnWidth(column));
      Commit(Cell(row, column));
    }
  });
}

TEST_F(QuoteSheetTest, OtherTwoOpensAnEmptyListAndTakesWhatIsTyped) {
  Run([&] {
    Seed("其它", {{"U盘", "金士顿", "DT100", 50, "32G"}});
    Press(13, kBrand);
    EXPECT_EQ(Choices(), Texts{"金士顿"});  // 其它一 lists the 其它 table
    Commit("金士顿");
    Press(14, kBrand);
    EXPECT_TRUE(EditorOpen());
    EXPECT_EQ(Choices(), Texts{});
    Commit("杂牌 X");
    EXPECT_EQ(Cell(14, kBrand), "杂牌 X");
    Enter(14, kModel, "DT100");
    // The model is in 其它, but 其它二 is never refreshed from it.
    EXPECT_EQ(Details(14), (Texts{"DT100", "", "", "0", ""}));
    // Spare rows and the 序号 column take text as well.
    Enter(17, 0, "备用");
    EXPECT_EQ(Cell(17, 0), "备用");
    EXPECT_EQ(Cell(0, 0), "1");
  });
}

TEST_F(QuoteSheetTest, ClearingABrandEmptiesTheRowAfterTheTotalsCountedIt) {
  Run([&] {
    Seed("CPU", {{"CPU", "Intel", "i5", 1000, "盒装"}});
    Seed("显卡", {{"显卡", "N", "G1", 3000, "x"}});
    Enter(0, kBrand, "Intel");
    Enter(0, kModel, "i5");
    Enter(0, kQuantity, "2");
    Enter(6, kBrand, "N");
    Enter(6, kModel, "G1");
    Press(6, kQuantity);
    Commit("1");
    EXPECT_EQ(Totals(), (Texts{"3", "5000"}));

    // The press on the brand cell resets the row to one piece first.
    Enter(0, kBrand, "");
    EXPECT_EQ(Details(0), (Texts{"", "", "", "", ""}));
    EXPECT_EQ(Totals(), (Texts{"2", "4000"}));
    EXPECT_EQ(Details(6), (Texts{"G1", "1", "3000", "3000", "x"}));
    // The next commit no longer counts it.
    Enter(6, kPrice, "3000");
    EXPECT_EQ(Totals(), (Texts{"1", "3000"}));
  });
}

TEST_F(QuoteSheetTest, ModelNotInTheCatalogueKeepsTheRowUntilItsModelCellIsPressed) {
  Run([&] {
    Seed("CPU", {{"CPU", "Intel", "i5", 1000, "a"},
                 {"CPU", "AMD", "R5", 900, "c"},
                 {"CPU", "Intel", "i7", 2000, "b"}});
    Enter(0, kBrand, "Intel");
    Enter(0, kModel, "X99");
    Enter(0, kQuantity, "3");
    Enter(0, kPrice, "50");
    // Pressing the model cell already took the last Intel's remark.
    const Texts typed{"X99", "3", "50", "150", "b"};
    EXPECT_EQ(Details(0), typed);
    Press(0, kBrand);
    EXPECT_EQ(Details(0), typed);
    Commit("Intel");
    Press(0, kQuantity);
    EXPECT_EQ(Choices(), (Texts{"1", "2"}));
    EXPECT_EQ(Details(0), typed);
    Commit("3");
    // The model list takes the price and remark of the brand's last record.
    Press(0, kModel);
    EXPECT_EQ(Choices(), (Texts{"i5", "i7"}));
    EXPECT_EQ(Details(0), (Texts{"X99", "3", "2000", "6000", "b"}));
    Commit("X99");
    EXPECT_EQ(Details(0), (Texts{"X99", "3", "2000", "6000", "b"}));
    EXPECT_EQ(Totals(), (Texts{"3", "6000"}));
  });
}

TEST_F(QuoteSheetTest, ACommittedModelBringsItsOwnPriceAndRemark) {
  Run([&] {
    Seed("CPU", {{"CPU", "Intel", "i5-13400F", 1000, "盒装"},
                 {"CPU", "Intel", "i3", 499, "入门"},
                 {"CPU", "AMD", "i5-13400F", 1, "别家"}});
    Enter(0, kBrand, "Intel");
    Press(0, kModel);
    EXPECT_EQ(Details(0), (Texts{"", "", "499", "0", "入门"}));
    Ok(user_->ChooseComboItem(kQuote, kEditor, 0));
    Ok(user_->PressEnter(kQuote, kEditor));
    user_->ProcessEvents();
    EXPECT_EQ(Details(0), (Texts{"i5-13400F", "", "1000", "0", "盒装"}));
    Enter(0, kQuantity, "2");
    EXPECT_EQ(Details(0), (Texts{"i5-13400F", "2", "1000", "2000", "盒装"}));
    // Typed and left rather than chosen: the same.
    Press(0, kModel);
    Ok(user_->SetText(kQuote, kEditor, "i3"));
    Ok(user_->LeaveControl(kQuote, kEditor));
    user_->ProcessEvents();
    EXPECT_EQ(Details(0), (Texts{"i3", "1", "499", "499", "入门"}));
    EXPECT_EQ(Totals(), (Texts{"1", "499"}));
  });
}

TEST_F(QuoteSheetTest, TheRowsProductIsItsBrandsModelNotAnotherBrandsOfTheSameName) {
  Run([&] {
    Seed("散热器", {{"散热器", "利民", "PA120 SE", 159, "利民的"},
                   {"散热器", "九州风神", "PA120 SE", 99, "九州的"}});
    Enter(1, kBrand, "九州风神");
    Enter(1, kModel, "PA120 SE");
    EXPECT_EQ(Details(1), (Texts{"PA120 SE", "", "99", "0", "九州的"}));
    Press(1, kQuantity);
    EXPECT_EQ(Details(1), (Texts{"PA120 SE", "1", "99", "99", "九州的"}));
    Commit("2");
    EXPECT_EQ(Details(1), (Texts{"PA120 SE", "2", "99", "198", "九州的"}));
    Press(1, kRemark);
    EXPECT_EQ(Details(1), (Texts{"PA120 SE", "1", "99", "99", "九州的"}));
    Commit("九州的");
  });
}

TEST_F(QuoteSheetTest, QuantityAndPriceCountAsTheIntegerTheyStartWith) {
  Run([&] {
    Enter(2, kBrand, "杂牌");
    Enter(2, kQuantity, "2.5");
    Enter(2, kPrice, "12元");
    EXPECT_EQ(Cell(2, kAmount), "24");
    Enter(3, kBrand, "B");
    Enter(3, kQuantity, "abc");
    Enter(3, kPrice, "99");
    EXPECT_EQ(Cell(3, kAmount), "0");
    EXPECT_EQ(Totals(), (Texts{"2", "24"}));
    // Amounts and totals beyond 32 bits are exact.
    Enter(3, kQuantity, "100000");
    Enter(3, kPrice, "99999");
    EXPECT_EQ(Cell(3, kAmount), "9999900000");
    EXPECT_EQ(Totals(), (Texts{"100002", "9999900024"}));
  });
}

TEST_F(QuoteSheetTest, AmountsAreExactSixtyFourBitNumbersAndWhatExceedsThemIsRefused) {
  Run([&] {
    Enter(0, kBrand, "A");
    Enter(0, kQuantity, "3000000000");
    Enter(0, kPrice, "3000000000");
    EXPECT_EQ(Cell(0, kAmount), "9000000000000000000");
    EXPECT_EQ(Totals(), (Texts{"3000000000", "9000000000000000000"}));

    auto refused = [&](int row, int column, const std::string& text) {
      SCOPED_TRACE(text);
      const std::string before = Cell(row, column);
      Enter(row, column, text);
      ASSERT_EQ(responder_.MessageTexts(), Texts{"数值太大，无法计算金额，已恢复原来的内容"});
      responder_.Clear();
      EXPECT_EQ(Cell(row, column), before);
    };
    // A product beyond 64 bits, and a number that 64 bits cannot hold.
    refused(0, kPrice, "4000000000");
    refused(0, kQuantity, "99999999999999999999");
    EXPECT_EQ(Details(0), (Texts{"", "3000000000", "3000000000", "9000000000000000000", ""}));
    // A second amount that fits, but not in the total.
    Enter(1, kBrand, "B");
    Enter(1, kQuantity, "1");
    refused(1, kPrice, "300000000000000000");
    EXPECT_EQ(Cell(1, kPrice), "");
    EXPECT_EQ(Totals(), (Texts{"3000000001", "9000000000000000000"}));
  });
}

TEST_F(QuoteSheetTest, LeavingTheEditorCommitsAndAClosedEditorCommitsNothing) {
  Run([&] {
    Press(1, kBrand);
    Ok(user_->SetText(kQuote, kEditor, "酷冷"));
    Ok(user_->LeaveControl(kQuote, kEditor));
    user_->ProcessEvents();
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(Cell(1, kBrand), "酷冷");
    // Once closed, neither another focus loss nor Enter writes anywhere.
    Ok(user_->SetText(kQuote, kEditor, "other"));
    Ok(user_->LeaveControl(kQuote, kEditor));
    Ok(user_->PressEnter(kQuote, kEditor));
    user_->ProcessEvents();
    EXPECT_EQ(Cell(1, kBrand), "酷冷");
  });
}

TEST_F(QuoteSheetTest, PressBelowTheLastRowDoesNothing) {
  Run([&] {
    Enter(0, kBrand, "A");
    ui::WindowManager& windows = *runtime_->windows();
    auto* grid = dynamic_cast<ui::ListView*>(windows.Widget(*windows.FindByName(kQuote, kGrid)));
    ASSERT_NE(grid, nullptr);
    const QRect last = grid->CellRect(18, 0);
    const int below = grid->ItemPosition(18)->y() + last.height() + 10;
    ASSERT_LT(below, grid->viewport()->geometry().bottom());
    Ok(user_->PressList(kQuote, kGrid, 100, below));
    user_->ProcessEvents();
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(Cell(0, kBrand), "A");
    EXPECT_EQ(user_->RowCount(kQuote, kGrid), 19);
  });
}

TEST_F(QuoteSheetTest, TheGridTakingTheFocusChoosesNoRowAndLeavesThePanelAlone) {
  Run([&] {
    Ok(user_->SetText(kQuote, "组合框型号", "X1"));
    user_->ProcessEvents();  // the window becomes active; the grid takes the focus
    EXPECT_EQ(user_->CurrentIndex(kQuote, kGrid), -1);
    EXPECT_EQ(user_->Text(kQuote, "组合框型号"), "X1");
  });
}

TEST_F(QuoteSheetTest, SelectingARowFillsThePanelAndOtherRowsTakeTheirKindFromTheOtherTable) {
  Run([&] {
    Seed("其它", {{"U盘", "金士顿", "DT100", 50, "32G"}});
    Seed("主板", {{"主板", "华硕", "B550", 800, "ATX"}});
    auto panel = [&] {
      Texts boxes;
      for (const char* box :
           {"组合框品名", "组合框品牌", "组合框型号", "编辑框价格", "编辑框备注"}) {
        boxes.push_back(user_->Text(kQuote, box));
      }
      return boxes;
    };
    Enter(2, kBrand, "华硕");
    Enter(2, kModel, "B550");
    Enter(13, kBrand, "金士顿");
    Enter(13, kModel, "DT100");
    Enter(14, kBrand, "金士顿");
    Enter(14, kModel, "DT100");
    Enter(14, kPrice, "60");

    Press(2, kAmount);
    EXPECT_EQ(panel(), (Texts{"主板", "华硕", "B550", "800", "ATX"}));
    Commit("800");
    Press(13, kBrand);
    EXPECT_EQ(panel(), (Texts{"U盘", "金士顿", "DT100", "50", "32G"}));
    Commit("金士顿");
    // 其它二 looks its kind up too, and keeps its own price.
    Press(14, 0);
    EXPECT_EQ(panel(), (Texts{"U盘", "金士顿", "DT100", "60", ""}));
    Commit("15");
    Enter(14, kModel, "none");
    Enter(16, kBrand, "");
    Press(14, kBrand);
    EXPECT_EQ(panel()[0], "其它二");
    Commit("金士顿");
  });
}

}  // namespace
}  // namespace pcshop::app::testing
