// The product catalogue through the real generated image and the runtime,
// offscreen: adding, changing, deleting and listing products in the quote
// window and the product management window, as a user does it through the
// test seam. Message boxes are answered by a Responder in every test. The
// program folder is shared with the other app tests: same lock.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/kernel/runtime.h"
#include "runtime/tables/server_settings.h"
#include "runtime/tables/table_store.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"
#include "runtime/ui/window_manager.h"
#include "tests/app/app_fixture.h"
#include "tests/app/table_expectations.h"
#include "tests/runtime/tables/immutable_folder.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

constexpr char kQuote[] = "窗口配置单";
constexpr char kProduct[] = "窗口商品管理";
constexpr char kList[] = "超级列表框商品信息";
constexpr int kCpu = 0;

class CatalogueTest : public AppFixture {
 protected:
  // Starts the program; `scenario` runs with the quote window open and the
  // tables created; the runtime must report no fault.
  void Run(const std::function<void()>& scenario) {
    AppFixture::Run(scenario);
    EXPECT_EQ(Errors(), "") << "the runtime reported a fault";
  }

  void ToProductWindow() { Click(kQuote, "按钮商品管理"); }
  void ToQuoteWindow() { Click(kProduct, "按钮返回"); }

  // Fills the panel of `window` as a user does: category chosen from the
  // list, the rest typed; the model first, since typing it empties price and
  // remark in the quote window.
  void Fill(const char* window, int category, const std::string& brand,
            const std::string& model, const std::string& price, const std::string& remark) {
    Ok(user_->ChooseComboItem(window, "组合框品名", category));
    Ok(user_->SetText(window, "组合框品牌", brand));
    Ok(user_->SetText(window, "组合框型号", model));
    Ok(user_->SetText(window, "编辑框价格", price));
    Ok(user_->SetText(window, "编辑框备注", remark));
  }
  // Looks a model up by choosing it from the 型号 box's list.
  void PickModel(const char* window, int category, const std::string& brand, int model_item) {
    Ok(user_->ChooseComboItem(window, "组合框品名", category));
    Ok(user_->SetText(window, "组合框品牌", brand));
    Ok(user_->ChooseComboItem(window, "组合框型号", model_item));
  }

  // What the message boxes said since the last call, as the program passed
  // it (GBK); compare with Gbk(...) for a byte-exact check.
  Texts Messages() {
    Texts texts;
    for (const ui::MessageBoxRequest& r : responder_.message_boxes()) texts.push_back(r.text);
    responder_.Clear();
    return texts;
  }

  fs::path TableFile(const std::string& category) const {
    return folder_ / "DATA" / (Gbk(category) + ".zdb");
  }
  std::vector<Product> Records(const std::string& category) {
    std::vector<Product> out;
    TestStore store;
    if (!store.OpenTable(TableFile(category).string(), "read").ok()) return out;
    auto counted = store.RecordCount();
    const int32_t count = counted.ok() ? *counted : 0;
    auto text = [&](const char* field) {
      auto v = store.ReadField(Gbk(field));
      return v.ok() && tables::IsText(*v) ? Utf8(std::get<std::string>(*v)) : std::string("?");
    };
    for (int32_t n = 1; n <= count; ++n) {
      (void)store.GoToRecord(n);
      auto price = store.ReadField(Gbk("价格"));
      out.push_back({text("品名"), text("品牌"), text("型号"),
                     price.ok() && !tables::IsText(*price) ? static_cast<int>(std::get<int64_t>(*price)) : -1,
                     text("备注")});
    }
    return out;
  }
};

TEST_F(CatalogueTest, AddRefusesABrandAndModelTwiceButTakesTheModelUnderAnotherBrand) {
  Run([&] {
    Fill(kQuote, kCpu, "A", "X1", "12.5元", "盒装");
    Click(kQuote, "按钮新增");
    EXPECT_EQ(Messages(), Gbks({"正在增加\r\n\r\n品名: CPU\r\n品牌: A\r\n型号: X1\r\n价格: "
                                "12.5元\r\n备注: 盒装\r\n\r\n确定增加吗",
                                "增加成功"}));
    Click(kQuote, "按钮新增");
    EXPECT_EQ(Messages(), Gbks({"型号重复"}));  // before any confirmation
    Ok(user_->SetText(kQuote, "组合框品牌", "B"));
    Click(kQuote, "按钮新增");
    EXPECT_EQ(Messages().size(), 2u);
    // An empty brand is a brand like any other: once.
    Fill(kQuote, kCpu, "", "X2", "", "");
    Click(kQuote, "按钮新增");
    EXPECT_EQ(Messages().back(), Gbk("增加成功"));
    Click(kQuote, "按钮新增");
    EXPECT_EQ(Messages(), Gbks({"型号重复"}));
  });
  EXPECT_EQ(Records("CPU"), (std::vector<Product>{{"CPU", "A", "X1", 12, "盒装"},
                                                  {"CPU", "B", "X1", 12, "盒装"},
                                                  {"CPU", "", "X2", 0, ""}}));
}

TEST_F(CatalogueTest, CancelledAddSaysAddFailedAndWritesNothing) {
  Run([&] {
    ToProductWindow();
    Fill(kProduct, kCpu, "A", "X1", "100", "");
    // Choosing the empty category lists it.
    EXPECT_EQ(Messages(), Gbks({"此项无记录"}));
    responder_.QueueMessageBoxAnswer(1);
    Click(kProduct, "按钮新增");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], Gbk("增加失败"));
    // Without a model nothing is asked at all.
    Ok(user_->SetText(kProduct, "组合框型号", ""));
    Click(kProduct, "按钮新增");
    EXPECT_EQ(Messages(), Texts{});
  });
  EXPECT_EQ(Records("CPU"), std::vector<Product>{});
}

TEST_F(CatalogueTest, AddInTheProductWindowListsTheBrandWithTheNewProduct) {
  Run([&] {
    Seed("主板", {{"主板", "A", "M1", 500, ""}, {"主板", "B", "M2", 600, ""}});
    ToProductWindow();
    Fill(kProduct, 2, "A", "M3", "700", "新");
    Click(kProduct, "按钮新增");
    EXPECT_EQ(Messages().back(), Gbk("增加成功"));
    EXPECT_EQ(user_->CurrentIndex(kProduct, "组合框商品查询类别"), 2);
    EXPECT_EQ(user_->Text(kProduct, "编辑框价格"), "");
    ASSERT_EQ(user_->RowCount(kProduct, kList), 2);
    EXPECT_EQ(user_->Cell(kProduct, kList, 1, 3), "M3");
    EXPECT_EQ(user_->Cell(kProduct, kList, 1, 0), "2");
  });
}

TEST_F(CatalogueTest, ModifyComparesWithThePickedProductAndAsksWithOldAndNewLines) {
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1999, "旧"}});
    PickModel(kQuote, kCpu, "A", 0);
    EXPECT_EQ(user_->Text(kQuote, "编辑框价格"), "1999");
    Click(kQuote, "按钮修改");
    EXPECT_EQ(Messages(), Gbks({"与原记录相同"}));

    Ok(user_->SetText(kQuote, "编辑框备注", "新"));
    Click(kQuote, "按钮修改");
    EXPECT_EQ(Messages(),
              Gbks({"正在修改 \r\n数据库: CPU\r\n\r\n原品名: CPU\r\n原品牌: A\r\n原型号: "
                    "X1\r\n原价格: 1999\r\n原备注: 旧\r\n\r\n现品名: CPU\r\n现品牌: "
                    "A\r\n现型号: X1\r\n现价格: 1999\r\n现备注: 新\r\n\r\n确定吗？",
                    "品名: CPU\r\n品牌: A\r\n型号: X1\r\n价格: 1999\r\n备注: "
                    "新\r\n\r\n已修改！"}));

    // A new model: the picked product no longer exists, until picked again.
    Ok(user_->SetText(kQuote, "组合框型号", "X9"));
    Ok(user_->SetText(kQuote, "编辑框价格", "1999"));
    Click(kQuote, "按钮修改");
    EXPECT_EQ(Messages().size(), 2u);
    Ok(user_->SetText(kQuote, "编辑框价格", "1"));
    Click(kQuote, "按钮修改");
    EXPECT_EQ(Messages(), Texts{});
    PickModel(kQuote, kCpu, "A", 0);
    Ok(user_->SetText(kQuote, "编辑框价格", "1"));
    Click(kQuote, "按钮修改");
    EXPECT_EQ(Messages().size(), 2u);
  });
  // Typing the new model emptied the remark, as it does in the quote window.
  EXPECT_EQ(Records("CPU"), (std::vector<Product>{{"CPU", "A", "X9", 1, ""}}));
}

TEST_F(CatalogueTest, APickInTheProductListIsModifiedFromTheQuoteWindow) {
  Run([&] {
    Seed("主板", {{"主板", "A", "M1", 1999, ""}});
    Seed("显卡", {{"显卡", "B", "G1", 3000, "x"}, {"显卡", "C", "G2", 4000, "y"}});
    ToProductWindow();
    Click(kProduct, "按钮全部商品");
    ASSERT_EQ(user_->RowCount(kProduct, kList), 3);
    Ok(user_->PressListCell(kProduct, kList, 0, 1));
    EXPECT_EQ(user_->Text(kProduct, "组合框品名"), "主板");
    EXPECT_EQ(user_->Text(kProduct, "组合框型号"), "M1");
    EXPECT_EQ(user_->Text(kProduct, "编辑框价格"), "1999");
    // The cell's "1999" was remembered as the number 1999.
    Click(kProduct, "按钮修改");
    EXPECT_EQ(Messages(), Gbks({"与原记录相同"}));

    ToQuoteWindow();
    Fill(kQuote, 2, "A", "M1", "1899", "");
    Click(kQuote, "按钮修改");
    EXPECT_EQ(Messages().size(), 2u);
  });
  EXPECT_EQ(Records("主板"), (std::vector<Product>{{"主板", "A", "M1", 1899, ""}}));
}

TEST_F(CatalogueTest, BrandItemsOncePerBrandAndModelItemsOncePerRecord) {
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 1, ""},
                 {"CPU", "A", "X2", 1, ""},
                 {"CPU", "B", "X3", 1, ""},
                 {"CPU", "A", "X1", 1, ""},
                 {"CPU", "", "X4", 1, ""}});
    for (const char* window : {kQuote, kProduct}) {
      SCOPED_TRACE(window);
      if (window == std::string(kProduct)) ToProductWindow();
      Ok(user_->ChooseComboItem(window, "组合框品名", kCpu));
      Ok(user_->DropDown(window, "组合框品牌"));
      // The product window lists no empty brand; the quote window lists the
      // empty brand of a record that follows another brand's run.
      const Texts brands = window == std::string(kProduct) ? Texts{"A", "B"} : Texts{"A", "B", ""};
      EXPECT_EQ(user_->Items(window, "组合框品牌"), brands);
      Ok(user_->SetText(window, "组合框品牌", "A"));
      Ok(user_->DropDown(window, "组合框型号"));
      EXPECT_EQ(user_->Items(window, "组合框型号"), (Texts{"X1", "X2", "X1"}));
      // No message for records without a brand.
      EXPECT_EQ(Messages(), Texts{});
    }
  });
}

TEST_F(CatalogueTest, AModelIsLookedUpUnderItsBrandAndARemarkChangeKeepsItsPrice) {
  const std::vector<Product> coolers = {{"散热器", "利民", "PA120 SE", 159, "利民的"},
                                        {"散热器", "九州风神", "PA120 SE", 99, "九州的"}};
  Run([&] {
    Seed("散热器", coolers);
    PickModel(kQuote, 1, "九州风神", 0);
    EXPECT_EQ(user_->Text(kQuote, "编辑框价格"), "99");
    EXPECT_EQ(user_->Text(kQuote, "编辑框备注"), "九州的");
    Ok(user_->SetText(kQuote, "编辑框备注", "新"));
    Click(kQuote, "按钮修改");
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_NE(said[0].find(Gbk("原价格: 99\r\n")), std::string::npos);

    ToProductWindow();
    PickModel(kProduct, 1, "九州风神", 0);
    EXPECT_EQ(user_->Text(kProduct, "编辑框价格"), "99");
    EXPECT_EQ(user_->Text(kProduct, "编辑框备注"), "新");
    // The list shows that one product.
    ASSERT_EQ(user_->RowCount(kProduct, kList), 1);
    EXPECT_EQ(user_->Cell(kProduct, kList, 0, 2), "九州风神");
    EXPECT_EQ(user_->Cell(kProduct, kList, 0, 4), "99");
    EXPECT_EQ(Messages(), Texts{});
  });
  EXPECT_EQ(Records("散热器"), (std::vector<Product>{coolers[0],
                                                    {"散热器", "九州风神", "PA120 SE", 99, "新"}}));
}

TEST_F(CatalogueTest, ProductWindowListsFollowTheCategoryTheKindBoxShows) {
  Run([&] {
    Seed("CPU", {{"CPU", "Intel", "i5", 1000, ""}});
    Seed("主板", {{"主板", "华硕", "B760", 900, "a"}, {"主板", "微星", "Z790", 1500, ""}});
    ToProductWindow();
    // The query box sets the 品名 box's text, not its selection.
    Ok(user_->ChooseComboItem(kProduct, "组合框商品查询类别", 2));
    ASSERT_EQ(user_->Text(kProduct, "组合框品名"), "主板");
    Ok(user_->DropDown(kProduct, "组合框品牌"));
    EXPECT_EQ(user_->Items(kProduct, "组合框品牌"), (Texts{"华硕", "微星"}));
    Ok(user_->SetText(kProduct, "组合框品牌", "华硕"));
    Ok(user_->DropDown(kProduct, "组合框型号"));
    EXPECT_EQ(user_->Items(kProduct, "组合框型号"), Texts{"B760"});

    // The same after the 品名 box was last chosen from its own list, then
    // set by picking a row of another category.
    Ok(user_->ChooseComboItem(kProduct, "组合框品名", kCpu));
    Click(kProduct, "按钮全部商品");
    Ok(user_->PressListCell(kProduct, kList, 2, 1));
    ASSERT_EQ(user_->Text(kProduct, "组合框品名"), "主板");
    Ok(user_->DropDown(kProduct, "组合框型号"));
    EXPECT_EQ(user_->Items(kProduct, "组合框型号"), Texts{"Z790"});
    Ok(user_->ChooseComboItem(kProduct, "组合框型号", 0));
    EXPECT_EQ(user_->Text(kProduct, "编辑框价格"), "1500");
    EXPECT_EQ(Messages(), Texts{});
  });
}

TEST_F(CatalogueTest, EditingTheChosenModelInTheQuoteWindowEmptiesPriceAndRemark) {
  Run([&] {
    Seed("CPU", {{"CPU", "Intel", "i5", 1000, "盒装"}});
    PickModel(kQuote, kCpu, "Intel", 0);
    ASSERT_EQ(user_->Text(kQuote, "编辑框价格"), "1000");
    // The box still has its item selected, but holds another model now.
    Ok(user_->TypeText(kQuote, "组合框型号", "-13400F"));
    EXPECT_EQ(user_->Text(kQuote, "编辑框价格"), "");
    EXPECT_EQ(user_->Text(kQuote, "编辑框备注"), "");
  });
}

TEST_F(CatalogueTest, DeleteTakesTheProductOfTheBrandShown) {
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 5, "a"}, {"CPU", "B", "X1", 6, "b"}});
    Fill(kQuote, kCpu, "B", "X1", "", "");
    Click(kQuote, "按钮删除");
    EXPECT_EQ(Messages(), Gbks({"正在删除 \r\n数据库: CPU\r\n\r\n品名: CPU\r\n品牌: "
                                "B\r\n型号: X1\r\n价格: 6\r\n备注: b\r\n\r\n确定吗？",
                                "品名: CPU\r\n品牌: B\r\n型号: X1\r\n\r\n已删除！"}));
    // Cancelled, nothing goes; a brand without the model finds nothing.
    Ok(user_->SetText(kQuote, "组合框品牌", "A"));
    responder_.QueueMessageBoxAnswer(1);
    Click(kQuote, "按钮删除");
    EXPECT_EQ(Messages().size(), 1u);
    Ok(user_->SetText(kQuote, "组合框品牌", "C"));
    Click(kQuote, "按钮删除");
    EXPECT_EQ(Messages(), Texts{});
  });
  EXPECT_EQ(Records("CPU"), (std::vector<Product>{{"CPU", "A", "X1", 5, "a"}}));
}

TEST_F(CatalogueTest, DeleteTakesOnlyItsProductAndNoneAnInterruptedDeleteMarked) {
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 5, ""}, {"CPU", "B", "X2", 6, ""}});
    {
      // An earlier run was killed between a delete's mark and its purge.
      TestStore store;
      Ok(store.OpenTable(TableFile("CPU").string(), "mark"));
      Ok(store.DeleteRecord());
    }
    Fill(kQuote, kCpu, "B", "X2", "", "");
    Click(kQuote, "按钮删除");
    EXPECT_EQ(Messages().back(), Gbk("品名: CPU\r\n品牌: B\r\n型号: X2\r\n\r\n已删除！"));
  });
  EXPECT_EQ(Records("CPU"), (std::vector<Product>{{"CPU", "A", "X1", 5, ""}}));
}

TEST_F(CatalogueTest, ADeleteThatCannotBeWrittenSaysDeleteFailed) {
  PCSHOP_SKIP_ON_SERVER("another program holds a table file's lock");
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 5, ""}});
    // Another program holds the table's write lock past the store's wait.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(TableFile("CPU").c_str(), &other, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    Fill(kQuote, kCpu, "A", "X1", "", "");
    Click(kQuote, "按钮删除");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const Texts said = Messages();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[1], Gbk("删除失败"));
  });
  EXPECT_EQ(Records("CPU").size(), 1u);
}

TEST_F(CatalogueTest, AReadOnlyDataFolderShowsItsProductsAndRefusesEveryChange) {
  PCSHOP_SKIP_ON_SERVER("an immutable data folder");
  // The data folder as an earlier run left it, then made immutable.
  fs::create_directories(data());
  for (const ExpectedTable& table : StartupTables()) {
    TestStore store;
    Ok(store.CreateTable((data() / (Gbk(table.name) + ".zdb")).string(), table.fields));
  }
  Seed("CPU", {{"CPU", "A", "X1", 5, ""}});
  const tables::testing::ImmutableFolder read_only(data());
  if (!read_only.ok()) {
    GTEST_SKIP() << "no immutable files here (needs CAP_LINUX_IMMUTABLE and a file system that "
                    "has the flag)";
  }
  const std::string before = Fingerprint(data());
  Run([&] {
    ToProductWindow();
    Ok(user_->ChooseComboItem(kProduct, "组合框商品查询类别", kCpu));
    EXPECT_EQ(user_->RowCount(kProduct, kList), 1);
    EXPECT_EQ(Messages(), Texts{});
    ToQuoteWindow();
    Fill(kQuote, kCpu, "B", "X2", "7", "");
    Click(kQuote, "按钮新增");
    EXPECT_EQ(Messages().back(), Gbk("增加失败"));
    Fill(kQuote, kCpu, "A", "X1", "", "");
    Click(kQuote, "按钮删除");
    EXPECT_EQ(Messages().back(), Gbk("删除失败"));
  });
  EXPECT_EQ(Fingerprint(data()), before);
}

TEST_F(CatalogueTest, AnEmptyCategorySaysSoEachTimeItIsChosen) {
  Run([&] {
    Seed("CPU", {{"CPU", "A", "X1", 5, ""}});
    ToProductWindow();
    Ok(user_->ChooseComboItem(kProduct, "组合框商品查询类别", kCpu));
    EXPECT_EQ(user_->RowCount(kProduct, kList), 1);
    EXPECT_EQ(user_->Text(kProduct, "组合框品名"), "CPU");
    Ok(user_->ChooseComboItem(kProduct, "组合框商品查询类别", 1));
    Ok(user_->ChooseComboItem(kProduct, "组合框商品查询类别", 1));
    EXPECT_EQ(Messages(), Gbks({"此项无记录", "此项无记录"}));
    EXPECT_EQ(user_->RowCount(kProduct, kList), 0);
  });
}

TEST_F(CatalogueTest, AllProductsNumbersRowsOnAcrossCategoriesInCategoryOrder) {
  Run([&] {
    Seed("显卡", {{"显卡", "N", "G1", 3, ""}});
    Seed("主板", {{"主板", "A", "M1", 1, ""}, {"主板", "B", "M2", 2, ""}});
    Seed("其它", {{"其它", "Z", "O1", 4, "r"}});
    ToProductWindow();
    Click(kProduct, "按钮全部商品");
    ASSERT_EQ(user_->RowCount(kProduct, kList), 4);
    const Texts expected[] = {{"1", "主板", "A", "M1", "1", ""},
                              {"2", "主板", "B", "M2", "2", ""},
                              {"3", "显卡", "N", "G1", "3", ""},
                              {"4", "其它", "Z", "O1", "4", "r"}};
    for (int row = 0; row < 4; ++row) {
      Texts cells;
      for (int c = 0; c < 6; ++c) cells.push_back(user_->Cell(kProduct, kList, row, c));
      EXPECT_EQ(cells, expected[row]);
    }
    EXPECT_EQ(Messages(), Texts{});
  });
}

// A counter whose server goes away while it runs: the user hears of it once
// per action, and nothing after it, instead of seeing an empty list or a
// bare 增加失败, and the counter works again once the server is back. The program logs in as a
// role of the test's own, which the test then bars from logging in and
// throws out: the program's one try to reconnect fails.
TEST_F(CatalogueTest, AServerOutOfReachIsSaidOncePerActionAndTheCounterRecovers) {
  if (!OnServer()) GTEST_SKIP() << "needs the tables on the test server";
  const std::string role = schema_->name() + "_counter";
  const std::string server = test_server::TestServer();
  std::string error;
  ASSERT_TRUE(test_server::RunSql(server, "CREATE ROLE " + role + " LOGIN; GRANT ALL ON SCHEMA " +
                                              schema_->name() + " TO " + role, &error))
      << error;
  struct DropRole {
    std::string server, schema, role;
    ~DropRole() {
      test_server::RunSql(server, "DROP SCHEMA IF EXISTS " + schema + " CASCADE; DROP ROLE " + role);
    }
  } drop{server, schema_->name(), role};
  std::ofstream(folder_ / tables::kServerSettingsFile)
      << "server = " << schema_->conninfo() << " user=" << role << "\n";
  const std::string away = "ALTER ROLE " + role + " NOLOGIN; SELECT pg_terminate_backend(pid) "
                           "FROM pg_stat_activity WHERE usename = '" + role + "'";
  const std::string said = Gbk("数据库服务器拒绝了登录，请检查账户和密码。\n"
                                "本次操作未完成，已保存的数据不受影响。\n详情：");
  const auto server_boxes = [&](const Texts& texts) {
    return std::count_if(texts.begin(), texts.end(),
                         [&](const std::string& t) { return t.rfind(said, 0) == 0; });
  };
  AppFixture::Run([&] {
    ToProductWindow();
    Click(kProduct, "按钮全部商品");
    EXPECT_EQ(server_boxes(Messages()), 0);
    ASSERT_TRUE(test_server::RunSql(server, away, &error)) << error;

    Click(kProduct, "按钮全部商品");  // fourteen tables, each refused
    EXPECT_EQ(server_boxes(Messages()), 1);
    ToQuoteWindow();
    Fill(kQuote, kCpu, "A", "X1", "5", "");
    Messages();  // what returning and filling in said
    Click(kQuote, "按钮新增");
    const Texts add = Messages();
    EXPECT_EQ(server_boxes(add), 1);
    EXPECT_EQ(add.size(), 1u) << "the action went on after the server box";

    ASSERT_TRUE(test_server::RunSql(server, "ALTER ROLE " + role + " LOGIN", &error)) << error;
    Click(kQuote, "按钮新增");
    EXPECT_EQ(server_boxes(Messages()), 0);
  });
  EXPECT_NE(Errors().find("is not permitted to log in"), std::string::npos) << Errors();
  EXPECT_EQ(Records("CPU"), (std::vector<Product>{{"CPU", "A", "X1", 5, ""}}));
}

}  // namespace
}  // namespace pcshop::app::testing
