// 导入 through the real generated image offscreen, on files or the server:
// a GBK price list previewed, applied, and undone; an undo leaves alone and
// names a product changed since; an import whose completion line never got
// written (the program killed between the category writes and the log) is
// rolled back when the quote window is next created; the columns applied
// are offered again for a list of the same headers.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/kernel/runtime.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

constexpr char kQuote[] = "窗口配置单";
constexpr char kProduct[] = "窗口商品管理";
constexpr char kImport[] = "窗口导入";

class ImportApplyTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    list_ = folder_ / "price.csv";
    std::ofstream(list_, std::ios::binary)
        << Gbk("今日报价\r\n品名,品牌,型号规格,渠道价\r\nCPU,Intel,I5-12400F,\"1,049\"\r\n"
               "CPU,AMD,R9 7950X,￥4299元\r\nCPU,AMD,R7 7700,询价\r\nCPU,AMD,R5 5600,699\r\n");
  }

  void SeedCpus() {
    Seed("CPU", {{"CPU", "Intel", "i5-12400F", 899, ""}, {"CPU", "AMD", "R5 5600", 699, "盒装"}});
  }
  void OpenPreview() {
    responder_.QueueFileDialogAnswer(list_.string());
    Click(kProduct, "按钮导入");
    ASSERT_TRUE(user_->IsOpen(kImport));
  }
  // 品牌 型号 价格 of every product, as 全部商品 lists them.
  Texts Catalogue() {
    Click(kProduct, "按钮全部商品");
    Texts out;
    for (int r = 0; r < user_->RowCount(kProduct, "超级列表框商品信息"); ++r) {
      out.push_back(user_->Cell(kProduct, "超级列表框商品信息", r, 2) + " " +
                    user_->Cell(kProduct, "超级列表框商品信息", r, 3) + " " +
                    user_->Cell(kProduct, "超级列表框商品信息", r, 4));
    }
    return out;
  }
  void SetCpuPrice(int64_t record, int64_t price) {
    tables::TableStore& t = runtime_->tables();
    Ok(t.SelectTable(Gbk("CPU")));
    Ok(t.GoToRecord(record));
    const tables::OptionalValue values[] = {std::nullopt, std::nullopt, std::nullopt,
                                            tables::FieldValue(price)};
    Ok(t.ModifyRecord(values));
  }

  fs::path list_;
};

TEST_F(ImportApplyTest, PreviewThenApplyThenUndoLeavingAProductChangedSince) {
  Run([&] {
    SeedCpus();
    Click(kQuote, "按钮商品管理");
    OpenPreview();
    EXPECT_EQ(user_->Text(kImport, "透明标签计数"),
              "新增 1   涨价 1   降价 0   不变 1   拒绝 1   未提及 0   已勾选 2");
    EXPECT_EQ(user_->Cell(kImport, "超级列表框导入", 0, 8), "150");
    Click(kImport, "按钮应用");
    EXPECT_EQ(Messages().back(), "导入完成，新增或改动的商品共 2 个。");
    Click(kImport, "按钮返回");
    // The catalogue keeps its own spelling of a matched model.
    EXPECT_EQ(Catalogue(), (Texts{"Intel i5-12400F 1049", "AMD R5 5600 699", "AMD R9 7950X 4299"}));

    SetCpuPrice(1, 999);
    OpenPreview();
    Click(kImport, "按钮撤销");
    const Texts said = Messages();
    ASSERT_FALSE(said.empty());
    EXPECT_NE(said.back().find("恢复的商品共 1 个"), std::string::npos) << said.back();
    EXPECT_NE(said.back().find("Intel i5-12400F"), std::string::npos) << said.back();
    Click(kImport, "按钮返回");
    EXPECT_EQ(Catalogue(), (Texts{"Intel i5-12400F 999", "AMD R5 5600 699"}));

    OpenPreview();
    Click(kImport, "按钮撤销");
    EXPECT_EQ(Messages().back(), "没有可以撤销的导入。");
    Click(kImport, "按钮返回");
  });
}

TEST_F(ImportApplyTest, AnImportWithoutItsCompletionLineIsRolledBackAtTheNextStart) {
  Run([&] {
    SeedCpus();
    Click(kQuote, "按钮商品管理");
    OpenPreview();
    Click(kImport, "按钮应用");
    Click(kImport, "按钮返回");
    ASSERT_EQ(Catalogue().size(), 3u);
    // As a kill after the category writes leaves it: no completion line.
    tables::TableStore& t = runtime_->tables();
    Ok(t.SelectTable(Gbk("导入记录")));
    const Result<int32_t> lines = t.RecordCount();
    ASSERT_TRUE(lines.ok());
    Ok(t.GoToRecord(*lines));
    Ok(t.RemoveRecord());
    Click(kProduct, "按钮返回");  // the quote window is created again
    Click(kQuote, "按钮商品管理");
    EXPECT_EQ(Catalogue(), (Texts{"Intel i5-12400F 899", "AMD R5 5600 699"}));
  });
}

TEST_F(ImportApplyTest, TheColumnsAppliedAreOfferedAgainForAListOfTheSameHeaders) {
  Run([&] {
    SeedCpus();
    Click(kQuote, "按钮商品管理");
    OpenPreview();
    const char* const choosers[] = {"组合框列品名", "组合框列品牌", "组合框列型号", "组合框列价格",
                                    "组合框列备注"};
    auto chosen = [&] {
      std::vector<int> out;
      for (const char* c : choosers) out.push_back(user_->CurrentIndex(kImport, c));
      return out;
    };
    ASSERT_EQ(chosen(), (std::vector<int>{1, 2, 3, 4, 0}));
    // The user reads every row as a CPU instead of by its 品名 column.
    Ok(user_->ChooseComboItem(kImport, "组合框列品名", 0));
    Ok(user_->ChooseComboItem(kImport, "组合框类别", 0));
    user_->ProcessEvents();
    Click(kImport, "按钮应用");
    ASSERT_EQ(Messages().back(), "导入完成，新增或改动的商品共 2 个。");
    Click(kImport, "按钮返回");
    OpenPreview();
    EXPECT_EQ(chosen(), (std::vector<int>{0, 2, 3, 4, 0}));
    Click(kImport, "按钮返回");
  });
}

}  // namespace
}  // namespace pcshop::app::testing
