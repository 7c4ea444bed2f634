// The seven windows through the real generated image and the runtime, offscreen:
// the user's paths between them, clicked through the test seam. The program
// folder is this test's own folder, shared with the start-up tests, so they
// hold the same lock (CMakeLists.txt) and clear it before and after each test.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/kernel/runtime.h"
#include "runtime/ui/test_seam.h"
#include "runtime/ui/window_manager.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

constexpr char kQuote[] = "窗口配置单";
constexpr char kCustomer[] = "窗口客户管理";
constexpr char kStockIn[] = "窗口入库";
constexpr char kProduct[] = "窗口商品管理";
constexpr char kStockOut[] = "窗口出库";
constexpr char kAccounts[] = "窗口往来账";
constexpr char kAging[] = "窗口欠款账龄";

// Every navigation button: the window it is in, its name, the window it leads
// to (empty: it does nothing).
struct Route {
  const char* from;
  const char* button;
  const char* to;
};
constexpr Route kRoutes[] = {
    {kQuote, "按钮客户管理", kCustomer},     {kQuote, "按钮商品管理", kProduct},
    {kQuote, "按钮入库管理", kStockIn},      {kQuote, "按钮出库管理", kStockOut},
    {kCustomer, "按钮返回", kQuote},         {kCustomer, "按钮配置单", kQuote},
    {kCustomer, "按钮入库管理", kStockIn},   {kCustomer, "按钮商品管理", kProduct},
    {kCustomer, "按钮出库管理", kStockOut},  {kStockIn, "按钮返回", kQuote},
    {kStockIn, "按钮客户管理", kCustomer},   {kStockIn, "按钮商品管理", kProduct},
    {kStockIn, "按钮配置管理", kQuote},      {kStockIn, "按钮出库管理", kStockOut},
    {kProduct, "按钮返回", kQuote},          {kProduct, "按钮客户管理", kCustomer},
    {kProduct, "按钮入库管理", kStockIn},    {kProduct, "按钮配置管理", kQuote},
    {kProduct, "按钮出库管理", kStockOut},   {kStockOut, "按钮返回", kQuote},
    {kStockOut, "按钮客户管理", kCustomer},  {kStockOut, "按钮商品管理", kProduct},
    {kStockOut, "按钮入库管理", kStockIn},   {kStockOut, "按钮配置管理", kQuote},
    {kQuote, "按钮往来账", kAccounts},       {kCustomer, "按钮往来账", kAccounts},
    {kAccounts, "按钮返回", kQuote},         {kAccounts, "按钮配置管理", kQuote},
    {kAccounts, "按钮客户管理", kCustomer},  {kAccounts, "按钮商品管理", kProduct},
    {kAccounts, "按钮入库管理", kStockIn},   {kAccounts, "按钮出库管理", kStockOut},
    {kCustomer, "按钮欠款账龄", kAging},     {kAccounts, "按钮欠款账龄", kAging},
    {kAging, "按钮返回", kQuote},            {kAging, "按钮配置管理", kQuote},
    {kAging, "按钮客户管理", kCustomer},     {kAging, "按钮商品管理", kProduct},
    {kAging, "按钮入库管理", kStockIn},      {kAging, "按钮出库管理", kStockOut},
    {kAging, "按钮往来账", kAccounts},
};

// The quote window's button that opens each other window.
const char* ButtonFromQuote(const std::string& window) {
  for (const Route& r : kRoutes) {
    if (r.from == std::string(kQuote) && r.to == window) return r.button;
  }
  return "";
}

class WindowTest : public AppFixture {
 protected:
  // Clicks `button` and lets the closed window go.
  void Click(const char* window, const char* button) {
    ASSERT_TRUE(user_->Click(window, button).ok()) << window << " " << button;
    user_->ProcessEvents();
  }
  // From the quote window to `window`.
  void Open(const std::string& window) {
    if (window == kAging) {
      // No button of the quote window leads there: through 客户管理.
      Click(kQuote, ButtonFromQuote(kCustomer));
      Click(kCustomer, "按钮欠款账龄");
    } else if (window != kQuote) {
      Click(kQuote, ButtonFromQuote(window));
    }
    ASSERT_EQ(user_->OpenWindows(), Names{window});
  }
};

TEST_F(WindowTest, EveryNavigationButtonLeavesOnlyItsTargetOpen) {
  Run([&] {
    ASSERT_EQ(user_->OpenWindows(), Names{kQuote});
    for (const Route& r : kRoutes) {
      SCOPED_TRACE(std::string(r.from) + " " + r.button);
      Open(r.from);
      Click(r.from, r.button);
      // The stock-out window's 配置单 is bound to nothing: it stays.
      const std::string target = *r.to == '\0' ? r.from : r.to;
      EXPECT_EQ(user_->OpenWindows(), Names{target});
      if (target != kQuote) Click(target.c_str(), "按钮返回");
    }
  });
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(exit_codes_, std::vector<int32_t>{0});
}

TEST_F(WindowTest, ExitInAnyWindowEndsTheMessageLoopWithCodeZero) {
  for (const char* window :
       {kQuote, kCustomer, kStockIn, kProduct, kStockOut, kAccounts, kAging}) {
    SCOPED_TRACE(window);
    TearDown();
    SetUp();
    // The real message loop: the user acts once it waits for input (not
    // while the daily backup runs, when a real click waits too). Should 退出
    // fail to end it, the last timer closes what is open so the test ends.
    bool clicked = false;
    std::function<void()> act = [&] {
      if (runtime_->windows()->working()) return QTimer::singleShot(10, qApp, act);
      Open(window);
      clicked = user_->Click(window, "按钮退出").ok();
    };
    QTimer::singleShot(0, qApp, act);
    // Owned by this round: a fallback left pending would fire in a later
    // round and close its windows under it.
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [&] {
      for (uint32_t id : runtime_->windows()->OpenWindows()) runtime_->windows()->UnloadWindow(id);
    });
    fallback.start(5000);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(runtime_->Start().ok());
    EXPECT_TRUE(clicked);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
    EXPECT_TRUE(user_->OpenWindows().empty());
    EXPECT_EQ(exit_codes_, std::vector<int32_t>{0});
  }
}

TEST_F(WindowTest, StockWindowsChangeNoFileForInputTheyRefuse) {
  Run([&] {
    for (const char* window : {kStockIn, kStockOut}) {
      SCOPED_TRACE(window);
      Open(window);
      const std::string before = Fingerprint(data());
      for (const char* edit : {"编辑框数量", "编辑框价格", "编辑框金额", "编辑框日期", "编辑框备注"}) {
        EXPECT_TRUE(user_->TypeText(window, edit, "12 显卡").ok()) << edit;
        EXPECT_TRUE(user_->PressEnter(window, edit).ok());
        EXPECT_TRUE(user_->LeaveControl(window, edit).ok());
      }
      for (const char* combo : {"组合框品名", "组合框品牌", "组合框型号"}) {
        EXPECT_TRUE(user_->SetText(window, combo, "七彩虹").ok()) << combo;
        EXPECT_TRUE(user_->DropDown(window, combo).ok());
      }
      EXPECT_TRUE(user_->DropDown(window, "组合框商品查询类别").ok());
      for (const char* button : {"按钮新增", "按钮修改", "按钮删除", "按钮配置导出", "按钮全部商品"}) {
        EXPECT_TRUE(user_->Click(window, button).ok()) << button;
      }
      EXPECT_TRUE(user_->PressList(window, "超级列表框商品信息", 20, 20).ok());
      user_->ProcessEvents();
      EXPECT_EQ(user_->OpenWindows(), Names{window});
      EXPECT_EQ(Fingerprint(data()), before);
      Click(window, "按钮返回");
    }
  });
  EXPECT_EQ(Errors(), "");
}

TEST_F(WindowTest, ReturningToTheQuoteWindowRunsItsCreationAgainAndShowsTheDesignSheet) {
  const char* kCategories[] = {"CPU",  "散热器", "主板", "内存", "机械盘", "固态盘", "显卡", "显示器",
                               "机箱", "电源",   "键盘", "鼠标", "音箱",   "其它一", "其它二"};
  Run([&] {
    Open(kProduct);
    // A table lost while the quote window was closed comes back with it.
    if (!OnServer()) {
      std::error_code ec;
      ASSERT_TRUE(fs::remove(data() / "显卡.zdb", ec));
    }
    Click(kProduct, "按钮返回");
    ASSERT_EQ(user_->OpenWindows(), Names{kQuote});
    EXPECT_EQ(FieldsOf(data() / "显卡.zdb"), StartupTables()[6].fields);

    const char* sheet = "超级列表框配置信息";
    ASSERT_EQ(user_->RowCount(kQuote, sheet), 19);
    for (int row = 0; row < 15; ++row) {
      EXPECT_EQ(user_->Cell(kQuote, sheet, row, 0), std::to_string(row + 1));
      EXPECT_EQ(user_->Cell(kQuote, sheet, row, 1), kCategories[row]);
      EXPECT_EQ(user_->Cell(kQuote, sheet, row, 2), "");
    }
    for (int row = 15; row < 19; ++row) EXPECT_EQ(user_->Cell(kQuote, sheet, row, 0), "");
  });
}

TEST_F(WindowTest, CustomerWindowCreatesAndOpensItsTable) {
  Run([&] {
    const fs::path table = data() / "客户信息.zdb";
    EXPECT_EQ(RecordCountOf(table), -1);  // no such table yet
    EXPECT_FALSE(runtime_->tables().SelectTable(Gbk("客户信息")).ok());
    Open(kCustomer);
    EXPECT_EQ(FieldsOf(table), CustomerTableFields());
    EXPECT_TRUE(runtime_->tables().SelectTable(Gbk("客户信息")).ok());
    EXPECT_EQ(RecordCountOf(table), 0);
  });
  EXPECT_EQ(Errors(), "");
}

}  // namespace
}  // namespace pcshop::app::testing
