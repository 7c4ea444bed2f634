#include "runtime/tables/table_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tests/runtime/tables/table_backends.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/runtime/tables/table_test_folder.h"

namespace pcshop::tables {
namespace {

using testing::Gbk;
using testing::ProductLayout;
using testing::TestFolder;
using testing::BackendTest;

std::vector<FieldValue> Product(const std::string& brand, const std::string& model, int32_t price,
                                const std::string& remark = "") {
  return {Gbk("CPU"), brand, model, price, remark};
}

std::string Text(TableStore& store, std::string_view utf8_field) {
  auto v = store.ReadField(Gbk(utf8_field));
  EXPECT_TRUE(v.ok()) << v.status().ToString();
  return v.ok() && IsText(*v) ? std::get<std::string>(*v) : std::string("<not text>");
}

int64_t Integer(TableStore& store, std::string_view utf8_field) {
  auto v = store.ReadField(Gbk(utf8_field));
  EXPECT_TRUE(v.ok()) << v.status().ToString();
  return v.ok() && !IsText(*v) ? std::get<int64_t>(*v) : -1;
}

std::vector<std::string> Models(TableStore& store) {
  std::vector<std::string> out;
  const int32_t n = *store.RecordCount();
  for (int32_t i = 1; i <= n; ++i) {
    EXPECT_TRUE(store.GoToRecord(i).ok());
    out.push_back(Text(store, "型号"));
  }
  return out;
}

// A CPU table with models m1..m<count> opened under the alias "CPU".
class ProductTableTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped()) return;
    store_ = NewStore();
    path_ = folder_.Text("CPU.zdb");
    ASSERT_TRUE(store_->CreateTable(path_, ProductLayout()).ok());
    ASSERT_TRUE(store_->OpenTable(path_, "CPU").ok());
  }
  void Fill(int count) {
    for (int i = 1; i <= count; ++i) {
      ASSERT_TRUE(store_->AppendRecord(Product("b" + std::to_string(i % 2), "m" + std::to_string(i),
                                              i * 100)).ok());
    }
  }
  std::string path_;
  std::unique_ptr<TableStore> store_;
};

PCSHOP_ON_BOTH_BACKENDS(ProductTableTest);

class TableStoreTest : public BackendTest {};

PCSHOP_ON_BOTH_BACKENDS(TableStoreTest);

TEST_P(TableStoreTest, CreatesTheSeventeenTablesAndTheCustomerTableWithTheirFieldLists) {
  TestFolder& folder = folder_;
  auto store_owner = NewStore();
  TableStore& store = *store_owner;
  std::vector<std::pair<std::string, std::vector<FieldSpec>>> tables;
  for (const std::string& name : testing::ProductTableNames()) tables.push_back({name, ProductLayout()});
  tables.push_back({"配置", testing::ConfigLayout()});
  tables.push_back({"客户信息", testing::CustomerLayout()});
  for (const auto& [name, layout] : tables) {
    ASSERT_TRUE(store.CreateTable(folder.Text(name + ".zdb"), layout).ok()) << name;
  }
  for (const auto& [name, layout] : tables) {
    ASSERT_TRUE(store.OpenTable(folder.Text(name + ".zdb"), Gbk(name)).ok()) << name;
  }
  for (const auto& [name, layout] : tables) {
    ASSERT_TRUE(store.SelectTable(Gbk(name)).ok());
    EXPECT_EQ(*store.Fields(), layout) << name;
    EXPECT_EQ(*store.RecordCount(), 0);
  }
  ASSERT_TRUE(store.SelectTable(Gbk("配置")).ok());
  const auto config = *store.Fields();
  ASSERT_EQ(config.size(), 108u);
  EXPECT_EQ(config.front().name, Gbk("配置名"));
  EXPECT_EQ(config[106], (FieldSpec{Gbk("其它二备注"), kTextField, 20}));
  EXPECT_EQ(config.back().name, Gbk("配置备注"));
}

TEST_P(ProductTableTest, RecordsKeepInsertionOrderAndSurviveReopening) {
  Fill(3);
  EXPECT_EQ(*store_->CurrentRecordNumber(), 3);  // an append moves onto the new record
  auto again_owner = NewStore();
  TableStore& again = *again_owner;
  ASSERT_TRUE(again.OpenTable(path_, "CPU").ok());
  EXPECT_EQ(Models(again), (std::vector<std::string>{"m1", "m2", "m3"}));
  ASSERT_TRUE(again.GoToRecord(2).ok());
  EXPECT_EQ(Text(again, "品名"), Gbk("CPU"));
  EXPECT_EQ(Integer(again, "价格"), 200);
}

TEST_P(ProductTableTest, IntegersKeepAllSixtyFourBitsThroughAppendModifyAndReopening) {
  ASSERT_TRUE(store_->AppendRecord(Product("b", "m", 0)).ok());
  const std::vector<OptionalValue> price = {std::nullopt, std::nullopt, std::nullopt,
                                             FieldValue(int64_t{9999900000})};
  ASSERT_TRUE(store_->ModifyRecord(price).ok());
  std::vector<FieldValue> big = Product("b", "n", 0);
  big[3] = std::numeric_limits<int64_t>::min();
  ASSERT_TRUE(store_->AppendRecord(big).ok());
  auto again_owner = NewStore();
  TableStore& again = *again_owner;
  ASSERT_TRUE(again.OpenTable(path_, "CPU").ok());
  ASSERT_TRUE(again.GoToRecord(1).ok());
  EXPECT_EQ(Integer(again, "价格"), 9999900000);
  ASSERT_TRUE(again.GoToRecord(2).ok());
  EXPECT_EQ(Integer(again, "价格"), std::numeric_limits<int64_t>::min());
}

TEST_P(ProductTableTest, MovesOutsideTheRecordsFailAndLeaveNoCurrentRecord) {
  Fill(3);
  ASSERT_TRUE(store_->GoFirst().ok());
  EXPECT_TRUE(store_->SkipRecords().ok());
  EXPECT_EQ(*store_->CurrentRecordNumber(), 2);
  EXPECT_TRUE(store_->SkipRecords(-1).ok());
  EXPECT_EQ(*store_->CurrentRecordNumber(), 1);

  const Status beyond = store_->GoToRecord(4);
  EXPECT_EQ(beyond.code(), Status::Code::kNotFound);
  EXPECT_EQ(beyond.message(), Where("CPU.zdb") +
                                  ": no record 4; the table holds 3");
  EXPECT_EQ(*store_->CurrentRecordNumber(), 0);
  EXPECT_EQ(store_->ReadField(Gbk("型号")).status().message(),
            Where("CPU.zdb") + ": ReadField: no current record");
  EXPECT_FALSE(store_->ModifyRecord(std::vector<OptionalValue>{Gbk("x")}).ok());
  EXPECT_FALSE(store_->DeleteRecord().ok());
  EXPECT_FALSE(store_->GoToRecord(0).ok());
  ASSERT_TRUE(store_->GoToRecord(3).ok());
  EXPECT_FALSE(store_->SkipRecords(1).ok());
  EXPECT_EQ(Models(*store_), (std::vector<std::string>{"m1", "m2", "m3"}));  // nothing changed
}

TEST_P(ProductTableTest, FindScansForwardFromThePointerInclusive) {
  Fill(5);
  std::vector<int32_t> visited;
  auto model_is = [&](const std::string& m) {
    return [&, m] {
      visited.push_back(*store_->CurrentRecordNumber());
      return Text(*store_, "型号") == m;
    };
  };
  ASSERT_TRUE(store_->GoToRecord(2).ok());
  EXPECT_TRUE(*store_->FindRecord(model_is("m4")));
  EXPECT_EQ(visited, (std::vector<int32_t>{2, 3, 4}));  // the pointer sits on each candidate
  EXPECT_EQ(*store_->CurrentRecordNumber(), 4);
  EXPECT_EQ(Integer(*store_, "价格"), 400);

  visited.clear();
  EXPECT_TRUE(*store_->FindRecord(model_is("m4")));  // inclusive: stays on the match
  EXPECT_EQ(visited, (std::vector<int32_t>{4}));

  EXPECT_FALSE(*store_->FindRecord(model_is("m1")));  // behind the pointer
  EXPECT_EQ(*store_->CurrentRecordNumber(), 0);
  EXPECT_FALSE(*store_->FindRecord(model_is("m5")));  // from no record nothing is scanned
  ASSERT_TRUE(store_->GoFirst().ok());
  EXPECT_TRUE(*store_->FindRecord(model_is("m1")));
}

TEST_P(ProductTableTest, ConditionMayOnlyReadTheStore) {
  Fill(2);
  ASSERT_TRUE(store_->GoFirst().ok());
  Status inner;
  EXPECT_FALSE(*store_->FindRecord([&] {
    inner = store_->DeleteRecord();
    return false;
  }));
  EXPECT_EQ(inner.message(), "DeleteRecord cannot be called from inside a FindRecord condition");
  EXPECT_FALSE(store_->IsDeleted().ok());
  ASSERT_TRUE(store_->GoFirst().ok());
  EXPECT_FALSE(*store_->IsDeleted());
}

TEST_P(ProductTableTest, ModifyKeepsOmittedFieldsAndChecksKinds) {
  Fill(2);
  ASSERT_TRUE(store_->GoToRecord(1).ok());
  // 品名 omitted, as the product panel does; 备注 past the list is kept too.
  const std::vector<OptionalValue> change = {std::nullopt, Gbk("英特尔"), std::nullopt, 999};
  ASSERT_TRUE(store_->ModifyRecord(change).ok());
  EXPECT_EQ(Text(*store_, "品名"), Gbk("CPU"));
  EXPECT_EQ(Text(*store_, "品牌"), Gbk("英特尔"));
  EXPECT_EQ(Text(*store_, "型号"), "m1");
  EXPECT_EQ(Integer(*store_, "价格"), 999);

  const Status wrong = store_->ModifyRecord(std::vector<OptionalValue>{std::nullopt, 5});
  EXPECT_EQ(wrong.code(), Status::Code::kTypeMismatch);
  EXPECT_EQ(wrong.message(), Where("CPU.zdb") +
                                 ": ModifyRecord: field 品牌 takes a text, value 2 is an integer");
  const std::vector<OptionalValue> six(6);
  EXPECT_EQ(store_->ModifyRecord(six).code(), Status::Code::kInvalidArgument);

  auto again_owner = NewStore();
  TableStore& again = *again_owner;  // and it is on disk
  ASSERT_TRUE(again.OpenTable(path_, "CPU").ok());
  EXPECT_EQ(Text(again, "品牌"), Gbk("英特尔"));
  EXPECT_EQ(Integer(again, "价格"), 999);
  ASSERT_TRUE(again.GoToRecord(2).ok());
  EXPECT_EQ(Text(again, "型号"), "m2");
}

TEST_P(ProductTableTest, AppendFillsMissingValuesAndRefusesBadOnes) {
  ASSERT_TRUE(store_->AppendRecord(std::vector<FieldValue>{Gbk("CPU"), Gbk("品牌")}).ok());
  EXPECT_EQ(Text(*store_, "型号"), "");
  EXPECT_EQ(Integer(*store_, "价格"), 0);
  EXPECT_EQ(Text(*store_, "备注"), "");

  const std::vector<FieldValue> text_price = {Gbk("CPU"), std::string("b"), std::string("m"),
                                              std::string("100")};
  const Status wrong = store_->AppendRecord(text_price);
  EXPECT_EQ(wrong.message(), Where("CPU.zdb") +
                                 ": AppendRecord: field 价格 takes an integer, value 4 is a text");
  const std::vector<FieldValue> six = {Gbk("CPU"), std::string("b"), std::string("m"),
                                       int32_t{0}, std::string(), std::string("extra")};
  EXPECT_EQ(store_->AppendRecord(six).message(),
            Where("CPU.zdb") + ": AppendRecord: 6 values for 5 fields");
  EXPECT_EQ(*store_->RecordCount(), 1);
}

TEST_P(ProductTableTest, MarkedRecordsStayVisibleUntilThePurgeRenumbers) {
  Fill(5);
  ASSERT_TRUE(store_->GoToRecord(2).ok());
  ASSERT_TRUE(store_->DeleteRecord().ok());
  ASSERT_TRUE(store_->GoToRecord(4).ok());
  ASSERT_TRUE(store_->DeleteRecord().ok());
  ASSERT_TRUE(store_->GoToRecord(5).ok());

  // Before the purge the marked records keep their numbers and stay readable.
  EXPECT_EQ(*store_->RecordCount(), 5);
  EXPECT_EQ(Models(*store_), (std::vector<std::string>{"m1", "m2", "m3", "m4", "m5"}));
  ASSERT_TRUE(store_->GoToRecord(4).ok());
  EXPECT_TRUE(*store_->IsDeleted());
  ASSERT_TRUE(store_->GoFirst().ok());
  EXPECT_TRUE(*store_->FindRecord([&] { return Text(*store_, "型号") == "m2"; }));
  EXPECT_EQ(*store_->CurrentRecordNumber(), 2);

  ASSERT_TRUE(store_->GoToRecord(5).ok());
  ASSERT_TRUE(store_->PurgeDeleted().ok());
  EXPECT_EQ(*store_->CurrentRecordNumber(), 3);  // same record, new number
  EXPECT_EQ(Text(*store_, "型号"), "m5");
  EXPECT_EQ(Models(*store_), (std::vector<std::string>{"m1", "m3", "m5"}));

  auto again_owner = NewStore();
  TableStore& again = *again_owner;
  ASSERT_TRUE(again.OpenTable(path_, "CPU").ok());
  EXPECT_EQ(Models(again), (std::vector<std::string>{"m1", "m3", "m5"}));

  ASSERT_TRUE(store_->GoToRecord(3).ok());  // purging the record under the pointer
  ASSERT_TRUE(store_->DeleteRecord().ok());
  ASSERT_TRUE(store_->PurgeDeleted().ok());
  EXPECT_EQ(*store_->CurrentRecordNumber(), 0);
  EXPECT_EQ(*store_->RecordCount(), 2);
}

TEST_P(ProductTableTest, RemoveRecordTakesExactlyTheCurrentRecordAndNoOtherMark) {
  Fill(4);
  ASSERT_TRUE(store_->GoToRecord(2).ok());
  ASSERT_TRUE(store_->DeleteRecord().ok());  // a mark some caller left
  ASSERT_TRUE(store_->GoToRecord(3).ok());
  ASSERT_TRUE(store_->RemoveRecord().ok());
  EXPECT_EQ(*store_->CurrentRecordNumber(), 0);
  EXPECT_EQ(Models(*store_), (std::vector<std::string>{"m1", "m2", "m4"}));
  ASSERT_TRUE(store_->GoToRecord(2).ok());
  EXPECT_TRUE(*store_->IsDeleted());

  auto other_owner = NewStore();
  TableStore& other = *other_owner;  // another copy sees the same, and cannot remove it twice
  ASSERT_TRUE(other.OpenTable(path_, "CPU").ok());
  EXPECT_EQ(Models(other), (std::vector<std::string>{"m1", "m2", "m4"}));
  ASSERT_TRUE(other.GoToRecord(3).ok());
  ASSERT_TRUE(store_->GoToRecord(3).ok());
  ASSERT_TRUE(store_->RemoveRecord().ok());
  EXPECT_EQ(other.RemoveRecord().message(),
            Where("CPU.zdb") +
                ": RemoveRecord: the current record was removed by another copy");
  EXPECT_EQ(Models(other), (std::vector<std::string>{"m1", "m2"}));
  EXPECT_EQ(store_->RemoveRecord().message(),
            Where("CPU.zdb") + ": RemoveRecord: no current record");
}

TEST_P(ProductTableTest, ModifyingAMarkedRecordKeepsItFromThePurge) {
  Fill(3);
  ASSERT_TRUE(store_->GoToRecord(2).ok());
  ASSERT_TRUE(store_->DeleteRecord().ok());
  ASSERT_TRUE(store_->ModifyRecord(std::vector<OptionalValue>{}).ok());  // nothing given still counts
  EXPECT_FALSE(*store_->IsDeleted());
  ASSERT_TRUE(store_->GoToRecord(3).ok());
  ASSERT_TRUE(store_->DeleteRecord().ok());
  ASSERT_TRUE(store_->PurgeDeleted().ok());
  EXPECT_EQ(Models(*store_), (std::vector<std::string>{"m1", "m2"}));
}

TEST_P(ProductTableTest, AppendUniqueRecordRefusesARecordWithTheSameKey) {
  const std::vector<std::string> key = {Gbk("品牌"), Gbk("型号")};
  ASSERT_TRUE(*store_->AppendUniqueRecord(Product("A", "X1", 5), key));
  ASSERT_TRUE(*store_->AppendUniqueRecord(Product("", "X1", 6), key));
  ASSERT_TRUE(store_->GoToRecord(1).ok());
  // Same brand and model: refused whatever the other fields, nothing written,
  // the pointer where it was.
  EXPECT_FALSE(*store_->AppendUniqueRecord(Product("A", "X1", 7, "r"), key));
  EXPECT_FALSE(*store_->AppendUniqueRecord(Product("", "X1", 8), key));
  EXPECT_EQ(*store_->CurrentRecordNumber(), 1);
  // Exact bytes: case, a trailing space and another brand are other keys.
  EXPECT_TRUE(*store_->AppendUniqueRecord(Product("a", "X1", 9), key));
  EXPECT_TRUE(*store_->AppendUniqueRecord(Product("A", "X1 ", 10), key));
  EXPECT_TRUE(*store_->AppendUniqueRecord(Product("B", "X1", 11), key));
  EXPECT_EQ(*store_->CurrentRecordNumber(), 5);  // on the new record, as AppendRecord
  // A marked record is still a record: it is listed and its key is taken.
  ASSERT_TRUE(store_->DeleteRecord().ok());
  EXPECT_FALSE(*store_->AppendUniqueRecord(Product("B", "X1", 12), key));
  EXPECT_EQ(*store_->RecordCount(), 5);
  // A key on an integer field compares numbers.
  EXPECT_FALSE(*store_->AppendUniqueRecord(Product("Z", "Z", 5), std::vector<std::string>{Gbk("价格")}));
  EXPECT_TRUE(*store_->AppendUniqueRecord(Product("Z", "Z", 13), std::vector<std::string>{Gbk("价格")}));

  EXPECT_EQ(store_->AppendUniqueRecord(Product("C", "X1", 1), std::vector<std::string>{Gbk("颜色")})
                .status()
                .message(),
            Where("CPU.zdb") + ": AppendRecord: no key field named 颜色");
  EXPECT_EQ(store_->AppendUniqueRecord(Product("C", "X1", 1), std::vector<std::string>{})
                .status()
                .message(),
            Where("CPU.zdb") + ": AppendRecord: no key field given");
  EXPECT_EQ(*store_->RecordCount(), 6);
}

TEST_P(TableStoreTest, TextsAreKeptWholeAndByteExact) {
  TestFolder& folder = folder_;
  auto store_owner = NewStore();
  TableStore& store = *store_owner;
  const std::string path = folder.Text("配置.zdb");
  ASSERT_TRUE(store.CreateTable(path, testing::ConfigLayout()).ok());
  ASSERT_TRUE(store.OpenTable(path, Gbk("配置")).ok());
  const std::string stamp = Gbk("2024年12月31日23点59分");
  ASSERT_EQ(stamp.size(), 22u);  // longer than the 20 of 生成日期
  std::string every_byte;
  for (int b = 1; b <= 0xFF; ++b) every_byte += static_cast<char>(b);
  ASSERT_TRUE(store.AppendRecord(std::vector<FieldValue>{Gbk("标准配置1"), stamp, every_byte}).ok());

  auto again_owner = NewStore();
  TableStore& again = *again_owner;
  ASSERT_TRUE(again.OpenTable(path, Gbk("配置")).ok());
  EXPECT_EQ(Text(again, "生成日期"), stamp);
  EXPECT_EQ(Text(again, "CPU品名"), every_byte);
  EXPECT_EQ(Integer(again, "其它二金额"), 0);
}

TEST_P(TableStoreTest, AliasAndPathNameTheSameTableAndTheNameIsTheAlias) {
  TestFolder& folder = folder_;
  auto store_owner = NewStore();
  TableStore& store = *store_owner;
  for (const char* name : {"CPU", "内存"}) {
    ASSERT_TRUE(store.CreateTable(folder.Text(std::string(name) + ".zdb"), ProductLayout()).ok());
    ASSERT_TRUE(store.OpenTable(folder.Text(std::string(name) + ".zdb"), Gbk(name)).ok());
  }
  EXPECT_EQ(store.CurrentTableName(), Gbk("内存"));  // opening makes it current
  ASSERT_TRUE(store.SelectTable(Gbk("CPU")).ok());
  ASSERT_TRUE(store.AppendRecord(Product("amd", "r5", 1)).ok());

  ASSERT_TRUE(store.SelectTable(folder.Text("内存.zdb")).ok());
  EXPECT_EQ(store.CurrentTableName(), Gbk("内存"));
  EXPECT_EQ(*store.RecordCount(), 0);
  ASSERT_TRUE(store.SelectTable(folder.Text("DATA\\..\\CPU.zdb")).ok());  // normalised
  EXPECT_EQ(store.CurrentTableName(), Gbk("CPU"));
  EXPECT_EQ(*store.RecordCount(), 1);

  // A name that is no open table leaves none current: nothing can hit the
  // table selected before.
  const Status missing = store.SelectTable(Gbk("显卡"));
  EXPECT_EQ(missing.message(), "SelectTable: no open table is named 显卡");
  EXPECT_EQ(store.CurrentTableName(), "");
  EXPECT_EQ(store.ReadField(Gbk("型号")).status().message(), "ReadField: no current table");
  EXPECT_EQ(store.DeleteRecord().message(), "DeleteRecord: no current table");
}

TEST_P(TableStoreTest, ReopeningAnAliasKeepsTheOpenTable) {
  TestFolder& folder = folder_;
  auto store_owner = NewStore();
  TableStore& store = *store_owner;
  ASSERT_TRUE(store.CreateTable(folder.Text("CPU.zdb"), ProductLayout()).ok());
  ASSERT_TRUE(store.CreateTable(folder.Text("其它.zdb"), ProductLayout()).ok());
  ASSERT_TRUE(store.OpenTable(folder.Text("CPU.zdb"), "CPU").ok());
  ASSERT_TRUE(store.AppendRecord(Product("a", "x1", 1)).ok());
  ASSERT_TRUE(store.AppendRecord(Product("a", "x2", 2)).ok());
  ASSERT_TRUE(store.GoToRecord(1).ok());
  ASSERT_TRUE(store.OpenTable(folder.Text("其它.zdb"), Gbk("其它")).ok());

  ASSERT_TRUE(store.OpenTable(folder.Text("CPU.zdb"), "CPU").ok());  // the start-up runs again
  EXPECT_EQ(store.CurrentTableName(), "CPU");
  EXPECT_EQ(*store.CurrentRecordNumber(), 1);
  EXPECT_EQ(*store.RecordCount(), 2);

  const Status other = store.OpenTable(folder.Text("其它.zdb"), "CPU");
  EXPECT_EQ(other.message(), "OpenTable: alias CPU is already open for " +
                                 folder.Native("CPU.zdb").string());
  ASSERT_TRUE(store.SelectTable("CPU").ok());
  EXPECT_EQ(*store.RecordCount(), 2);

  OpenTableOptions options;
  options[1] = int32_t{1};
  EXPECT_EQ(store.OpenTable(folder.Text("CPU.zdb"), "CPU", options).message(),
            "OpenTable: optional argument 4 is not supported");
}

TEST_P(TableStoreTest, MissingFieldIsAnErrorTheCallerSees) {
  TestFolder& folder = folder_;
  auto store_owner = NewStore();
  TableStore& store = *store_owner;
  EXPECT_EQ(store.RecordCount().status().message(), "RecordCount: no current table");
  ASSERT_TRUE(store.CreateTable(folder.Text("CPU.zdb"), ProductLayout()).ok());
  ASSERT_TRUE(store.OpenTable(folder.Text("CPU.zdb"), "CPU").ok());
  // Even on an empty table a wrong name is reported as such.
  const auto r = store.ReadField(Gbk("颜色"));
  EXPECT_EQ(r.status().code(), Status::Code::kNotFound);
  EXPECT_EQ(r.status().message(), Where("CPU.zdb") + ": no field named 颜色");
  ASSERT_TRUE(store.AppendRecord(Product("a", "b", 1)).ok());
  EXPECT_FALSE(store.ReadField("CPU").ok());
  EXPECT_FALSE(store.ReadField(Gbk("品名") + " ").ok());  // exact names
}

TEST_P(TableStoreTest, TwoStoresOnOneFileSeeEachOthersWrites) {
  TestFolder& folder = folder_;
  auto a_owner = NewStore();
  TableStore& a = *a_owner;
  auto b_owner = NewStore();
  TableStore& b = *b_owner;
  ASSERT_TRUE(a.CreateTable(folder.Text("CPU.zdb"), ProductLayout()).ok());
  ASSERT_TRUE(a.OpenTable(folder.Text("CPU.zdb"), "CPU").ok());
  ASSERT_TRUE(b.OpenTable(folder.Text("CPU.zdb"), "CPU").ok());
  for (int i = 1; i <= 4; ++i) ASSERT_TRUE(a.AppendRecord(Product("a", "m" + std::to_string(i), i)).ok());
  EXPECT_EQ(*b.RecordCount(), 4);
  ASSERT_TRUE(b.GoToRecord(3).ok());

  // a removes record 1: b's pointer stays on m3, which is now record 2.
  ASSERT_TRUE(a.GoFirst().ok());
  ASSERT_TRUE(a.DeleteRecord().ok());
  ASSERT_TRUE(a.PurgeDeleted().ok());
  EXPECT_EQ(*b.CurrentRecordNumber(), 2);
  ASSERT_TRUE(b.ModifyRecord(std::vector<OptionalValue>{std::nullopt, Gbk("改")}).ok());
  EXPECT_EQ(Models(b), (std::vector<std::string>{"m2", "m3", "m4"}));
  ASSERT_TRUE(a.GoToRecord(2).ok());
  EXPECT_EQ(Text(a, "品牌"), Gbk("改"));
  EXPECT_EQ(Text(a, "型号"), "m3");

  // A record removed by the other copy is never silently replaced by another.
  ASSERT_TRUE(b.GoToRecord(3).ok());
  ASSERT_TRUE(a.GoToRecord(3).ok());
  ASSERT_TRUE(a.DeleteRecord().ok());
  ASSERT_TRUE(a.PurgeDeleted().ok());
  EXPECT_EQ(b.ModifyRecord(std::vector<OptionalValue>{Gbk("x")}).message(),
            Where("CPU.zdb") +
                ": ModifyRecord: the current record was removed by another copy");
  EXPECT_EQ(Models(a), (std::vector<std::string>{"m2", "m3"}));
}

TEST_P(ProductTableTest, GroupedSumsCountEveryRecordInTheOrderOfTheirFirst) {
  const std::vector<std::string> brand = {Gbk("品牌")};
  EXPECT_TRUE(store_->SumGrouped(Gbk("价格"), brand)->empty());  // an empty table: no group
  EXPECT_TRUE(store_->SumGrouped(Gbk("价格"), {})->empty());
  ASSERT_TRUE(store_->AppendRecord(Product(Gbk("英特尔"), "a", 5)).ok());
  ASSERT_TRUE(store_->AppendRecord(Product("amd", "b", -2)).ok());
  ASSERT_TRUE(store_->AppendRecord(Product(Gbk("英特尔"), "c", 10)).ok());
  ASSERT_TRUE(store_->DeleteRecord().ok());  // marked records still count until the purge
  EXPECT_EQ(*store_->SumGrouped(Gbk("价格"), brand),
            (std::vector<GroupSum>{{{Gbk("英特尔")}, 15}, {{"amd"}, -2}}));
  const std::vector<std::string> two = {Gbk("品牌"), Gbk("型号")};
  EXPECT_EQ(store_->SumGrouped(Gbk("价格"), two)->size(), 3u);
  EXPECT_EQ(*store_->SumGrouped(Gbk("价格"), {}), (std::vector<GroupSum>{{{}, 13}}));

  EXPECT_EQ(store_->SumGrouped(Gbk("型号"), brand).status().code(), Status::Code::kTypeMismatch);
  EXPECT_EQ(store_->SumGrouped(Gbk("价格"), std::vector<std::string>{Gbk("价格")}).status().code(),
            Status::Code::kTypeMismatch);
  EXPECT_EQ(store_->SumGrouped(Gbk("颜色"), brand).status().message(),
            Where("CPU.zdb") + ": SumGrouped: no field named 颜色");
  // A total past 64 bits is an error, never a wrapped number.
  ASSERT_TRUE(store_->AppendRecord(Product("x", "y", 0)).ok());
  ASSERT_TRUE(store_->ModifyRecord(std::vector<OptionalValue>{
                  std::nullopt, std::nullopt, std::nullopt,
                  FieldValue(std::numeric_limits<int64_t>::max())}).ok());
  EXPECT_FALSE(store_->SumGrouped(Gbk("价格"), {}).ok());
}

// 备注 stands in for a movement's date here; 2024-01-31 is day 19753.
TEST_P(ProductTableTest, RangedSumsKeepTheDaysAskedForAndCountEachGroup) {
  constexpr int64_t kJan31 = 19753;
  struct Row {
    const char* brand;
    int64_t price;
    const char* date;
  };
  const Row rows[] = {
      {"a", 5, "2024年1月31日"}, {"b", 7, "2024年2月1日"}, {"a", 11, "2024-2-29"},
      {"a", 13, "2024/3/1"},      {"b", 17, "2023年2月29日"}, {"b", 19, "2024年13月1日"},
      {"b", 23, ""},              {"a", 29, "2024年2月1日 "}, {"a", 31, "1899-12-31"}};
  for (const Row& r : rows) {
    ASSERT_TRUE(store_->AppendRecord(std::vector<FieldValue>{Gbk("CPU"), r.brand, "m", r.price,
                                                             Gbk(r.date)})
                    .ok());
  }
  const std::vector<std::string> brand = {Gbk("品牌")};
  const std::vector<std::string> price = {Gbk("价格")};
  struct Case {
    int64_t first, last;
    std::vector<RangedSum> want;
  };
  const Case cases[] = {
      // Undated and impossible dates lie in no range, however wide.
      {-100000, 3000000, {{{"a"}, {29}, 3}, {{"b"}, {7}, 1}}},
      {kJan31, kJan31, {{{"a"}, {5}, 1}}},
      {kJan31 + 1, kJan31 + 29, {{{"b"}, {7}, 1}, {{"a"}, {11}, 1}}},  // all of February
      {kJan31 + 31, kJan31 + 60, {}},                                    // an empty period
      {kJan31 + 1, kJan31, {}},                                          // first after last
  };
  // On the server the first pass, inside a snapshot, works out each day in
  // its query (the day index cannot be made inside one); the second reads
  // through the index made when the snapshot ended.
  for (const bool snapshot : {true, false}) {
    if (snapshot) {
      ASSERT_TRUE(store_->BeginSnapshot().ok());
    }
    for (const Case& c : cases) {
      SCOPED_TRACE(c.first);
      SCOPED_TRACE(snapshot ? "in a snapshot" : "after it");
      const auto got = store_->SumInRange(Gbk("备注"), {c.first, c.last}, price, brand);
      ASSERT_TRUE(got.ok()) << got.status().message();
      EXPECT_EQ(*got, c.want);
    }
    if (snapshot) store_->EndSnapshot();
  }
  // Products and conditional terms, without keys, in one group.
  const std::vector<std::string> terms = {Gbk("价格"), Gbk("价格*价格"), Gbk("价格?价格")};
  EXPECT_EQ(*store_->SumInRange(Gbk("备注"), {kJan31, kJan31 + 30}, terms, {}),
            (std::vector<RangedSum>{{{}, {36, 25 + 49 + 121 + 169, 36}, 4}}));
  // A second store sees a new record at once, past the kept result.
  const auto other = NewStore();
  ASSERT_TRUE(other->OpenTable(path_, "CPU").ok());
  ASSERT_TRUE(other->AppendRecord(std::vector<FieldValue>{Gbk("CPU"), "a", "m", 100,
                                                          Gbk("2024年1月31日")})
                  .ok());
  EXPECT_EQ(*store_->SumInRange(Gbk("备注"), {kJan31, kJan31}, price, brand),
            (std::vector<RangedSum>{{{"a"}, {105}, 2}}));

  EXPECT_EQ(store_->SumInRange(Gbk("价格"), {0, 1}, price, brand).status().code(),
            Status::Code::kTypeMismatch);
  EXPECT_EQ(store_->SumInRange(Gbk("备注"), {0, 1}, std::vector<std::string>{Gbk("价格*颜色")},
                               brand)
                .status()
                .message(),
            Where("CPU.zdb") + ": SumInRange: no field named 颜色");
  EXPECT_FALSE(store_->SumInRange(Gbk("备注"), {0, 1}, {}, brand).ok());
}

// Every read inside a snapshot sees the table as it was when the snapshot
// began, whatever another copy writes meanwhile; after its end, the writes.
TEST_P(ProductTableTest, ASnapshotHidesOtherCopiesWritesUntilItEnds) {
  constexpr int64_t kJan31 = 19753;
  const auto row = [](int64_t price) {
    return std::vector<FieldValue>{Gbk("CPU"), "a", "m", price, Gbk("2024年1月31日")};
  };
  ASSERT_TRUE(store_->AppendRecord(row(5)).ok());
  ASSERT_TRUE(store_->AppendRecord(row(7)).ok());
  const std::vector<std::string> brand = {Gbk("品牌")};
  const std::vector<std::string> price = {Gbk("价格")};
  // Each read as one number: what a report would show.
  struct Read {
    const char* name;
    std::function<int64_t()> read;
    int64_t before, after;
  };
  const Read reads[] = {
      {"RecordCount", [&] { return int64_t{*store_->RecordCount()}; }, 2, 3},
      {"SumGrouped", [&] { return store_->SumGrouped(Gbk("价格"), brand)->at(0).sum; }, 12, 112},
      {"SumInRange",
       [&] {
         return store_->SumInRange(Gbk("备注"), {kJan31, kJan31}, price, brand)->at(0).sums[0];
       },
       12, 112},
      {"ReadMatching",
       [&] { return static_cast<int64_t>(store_->ReadMatching(Gbk("品牌"), "a", price)->size()); },
       2, 3},
  };
  for (const Read& r : reads) EXPECT_EQ(r.read(), r.before) << r.name;  // kept from here on

  ASSERT_TRUE(store_->BeginSnapshot().ok());
  ASSERT_TRUE(store_->BeginSnapshot().ok());  // nested: the outer end ends it
  const auto other = NewStore();
  ASSERT_TRUE(other->OpenTable(path_, "CPU").ok());
  ASSERT_TRUE(other->AppendRecord(row(100)).ok());  // not held up by the snapshot
  // A write inside is refused, and leaves the snapshot as it was.
  EXPECT_EQ(store_->AppendRecord(row(1)).code(), Status::Code::kInvalidArgument);
  EXPECT_FALSE(store_->UpgradeTable(path_, ProductLayout()).ok());
  for (const Read& r : reads) EXPECT_EQ(r.read(), r.before) << r.name << " inside";
  store_->EndSnapshot();
  for (const Read& r : reads) EXPECT_EQ(r.read(), r.before) << r.name << " still inside";
  store_->EndSnapshot();
  EXPECT_EQ(store_->snapshot_depth(), 0);
  for (const Read& r : reads) EXPECT_EQ(r.read(), r.after) << r.name << " after";
  EXPECT_TRUE(store_->AppendRecord(row(1)).ok());
}

TEST_P(ProductTableTest, ReadMatchingGivesTheChosenFieldsOfEqualRecordsInRecordOrder) {
  const std::vector<std::string> price_model = {Gbk("价格"), Gbk("型号")};
  EXPECT_TRUE(store_->ReadMatching(Gbk("品牌"), "a", price_model)->empty());  // an empty table
  for (const auto& p : {Product("a", "m1", 5), Product(Gbk("英特尔"), "m2", -7),
                        Product("a", "m3", 9), Product("ab", "m4", 1), Product("A", "m5", 2)}) {
    ASSERT_TRUE(store_->AppendRecord(p).ok());
  }
  ASSERT_TRUE(store_->GoToRecord(3).ok());
  ASSERT_TRUE(store_->DeleteRecord().ok());  // marked records count, as in the sums
  using Rows = std::vector<MatchingRow>;
  struct Case {
    std::string field;
    std::string value;
    std::vector<std::string> chosen;
    Rows rows;
  };
  const Case kCases[] = {
      {Gbk("品牌"), "a", price_model, {{5, "m1"}, {9, "m3"}}},  // exact bytes: not "ab", not "A"
      {Gbk("品牌"), Gbk("英特尔"), {Gbk("型号"), Gbk("品牌"), Gbk("型号")},
       {{"m2", Gbk("英特尔"), "m2"}}},
      {Gbk("品牌"), "a", {}, {{}, {}}},
      {Gbk("品牌"), "", price_model, {}},
      // No match field: every record, the value unused.
      {"", "a", {Gbk("型号")}, {{"m1"}, {"m2"}, {"m3"}, {"m4"}, {"m5"}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.value);
    const auto rows = store_->ReadMatching(c.field, c.value, c.chosen);
    ASSERT_TRUE(rows.ok()) << rows.status().message();
    EXPECT_EQ(*rows, c.rows);
  }
  EXPECT_EQ(store_->ReadMatching(Gbk("价格"), "5", price_model).status().code(),
            Status::Code::kTypeMismatch);
  EXPECT_EQ(store_->ReadMatching(Gbk("颜色"), "a", price_model).status().message(),
            Where("CPU.zdb") + ": ReadMatching: no field named 颜色");
  EXPECT_EQ(store_->ReadMatching(Gbk("品牌"), "a", std::vector<std::string>{Gbk("颜色")})
                .status()
                .code(),
            Status::Code::kNotFound);
  EXPECT_FALSE(store_->SelectTable("none").ok());
  EXPECT_FALSE(store_->ReadMatching(Gbk("品牌"), "a", price_model).ok());  // no current table
}

TEST_P(ProductTableTest, AppendRecordsWritesAllOrNothing) {
  Fill(2);
  std::vector<std::vector<FieldValue>> batch;
  for (int i = 0; i < 1500; ++i) batch.push_back(Product("b", "n" + std::to_string(i), i));
  ASSERT_TRUE(store_->AppendRecords(batch).ok());
  EXPECT_EQ(*store_->RecordCount(), 1502);
  EXPECT_EQ(*store_->CurrentRecordNumber(), 1502);  // on the last one
  EXPECT_EQ(Text(*store_, "型号"), "n1499");
  ASSERT_TRUE(store_->GoToRecord(3).ok());
  EXPECT_EQ(Text(*store_, "型号"), "n0");

  batch.push_back({Gbk("CPU"), std::string("b"), std::string("bad"), std::string("not a price")});
  const Status bad = store_->AppendRecords(batch);
  EXPECT_EQ(bad.message(), Where("CPU.zdb") +
                               ": AppendRecords, record 1501: field 价格 takes an integer, value 4 "
                               "is a text");
  EXPECT_FALSE(store_->AppendRecords({}).ok());
  auto other_owner = NewStore();
  TableStore& other = *other_owner;
  ASSERT_TRUE(other.OpenTable(path_, "CPU").ok());
  EXPECT_EQ(*other.RecordCount(), 1502);
}

TEST_P(ProductTableTest, UpgradingAddsTheMissingFieldsAndKeepsTheRecords) {
  Fill(2);
  ASSERT_TRUE(store_->GoToRecord(2).ok());
  std::vector<FieldSpec> wider = ProductLayout();
  wider.push_back({Gbk("库存"), kIntegerField, 10});
  wider.push_back({Gbk("产地"), kTextField, 20});
  ASSERT_TRUE(store_->UpgradeTable(path_, wider).ok());
  EXPECT_EQ(*store_->Fields(), wider);  // the open table is on its new layout
  EXPECT_EQ(*store_->CurrentRecordNumber(), 1);
  EXPECT_EQ(Integer(*store_, "库存"), 0);
  EXPECT_EQ(Text(*store_, "产地"), "");
  ASSERT_TRUE(store_->GoToRecord(2).ok());
  EXPECT_EQ(Text(*store_, "型号"), "m2");
  ASSERT_TRUE(store_->ModifyRecord(std::vector<OptionalValue>{std::nullopt, std::nullopt, std::nullopt,
                                                              std::nullopt, std::nullopt, 7}).ok());
  EXPECT_TRUE(store_->UpgradeTable(path_, wider).ok());  // already there: nothing to do

  std::vector<FieldSpec> renamed = wider;
  renamed[1].name = Gbk("牌子");
  EXPECT_EQ(store_->UpgradeTable(path_, renamed).code(), Status::Code::kInvalidArgument);
  EXPECT_EQ(store_->UpgradeTable(path_, ProductLayout()).code(), Status::Code::kInvalidArgument);
  auto again_owner = NewStore();
  TableStore& again = *again_owner;
  ASSERT_TRUE(again.OpenTable(path_, "CPU").ok());
  EXPECT_EQ(*again.Fields(), wider);
  ASSERT_TRUE(again.GoToRecord(2).ok());
  EXPECT_EQ(Integer(again, "库存"), 7);
}

TEST_P(TableStoreTest, CreatingOverAnExistingTableIsRefusedAndOpeningNeverCreates) {
  auto store_owner = NewStore();
  TableStore& store = *store_owner;
  const std::string path = folder_.Text("CPU.zdb");
  EXPECT_EQ(store.OpenTable(path, "CPU").code(), Status::Code::kNotFound);
  ASSERT_TRUE(store.CreateTable(path, ProductLayout()).ok());
  ASSERT_TRUE(store.OpenTable(path, "CPU").ok());
  ASSERT_TRUE(store.AppendRecord(Product("a", "m1", 1)).ok());
  const Status again = store.CreateTable(path, testing::CustomerLayout());
  EXPECT_EQ(again.message(), Where("CPU.zdb") + (server() ? ": a table" : ": a file") +
                                 " already exists there; it is left as it is");
  EXPECT_EQ(*store.Fields(), ProductLayout());
  EXPECT_EQ(*store.RecordCount(), 1);
  EXPECT_EQ(store.CreateTable(folder_.Text("x.zdb"), {}).code(), Status::Code::kInvalidArgument);
}

// Another counter's writes show from the next walk on, also where this one
// already read the records ahead.
TEST_P(TableStoreTest, ChangesByAnotherCopyShowAtTheNextWalk) {
  auto a_owner = NewStore();
  auto b_owner = NewStore();
  TableStore& a = *a_owner;
  TableStore& b = *b_owner;
  const std::string path = folder_.Text("CPU.zdb");
  ASSERT_TRUE(a.CreateTable(path, ProductLayout()).ok());
  ASSERT_TRUE(a.OpenTable(path, "CPU").ok());
  for (int i = 1; i <= 5; ++i) ASSERT_TRUE(a.AppendRecord(Product("a", "m" + std::to_string(i), i)).ok());
  ASSERT_TRUE(b.OpenTable(path, "CPU").ok());
  EXPECT_EQ(Models(b), (std::vector<std::string>{"m1", "m2", "m3", "m4", "m5"}));
  // b keeps this sum; a's changes below must not leave it stale.
  const std::vector<std::string> brand = {Gbk("品牌")};
  EXPECT_EQ(*b.SumGrouped(Gbk("价格"), brand), (std::vector<GroupSum>{{{"a"}, 15}}));

  ASSERT_TRUE(a.GoToRecord(4).ok());
  ASSERT_TRUE(a.ModifyRecord(std::vector<OptionalValue>{std::nullopt, std::nullopt, Gbk("改")}).ok());
  ASSERT_TRUE(a.GoToRecord(2).ok());
  ASSERT_TRUE(a.RemoveRecord().ok());
  ASSERT_TRUE(a.AppendRecord(Product("a", "m6", 6)).ok());
  EXPECT_EQ(*b.RecordCount(), 5);
  EXPECT_EQ(Models(b), (std::vector<std::string>{"m1", "m3", Gbk("改"), "m5", "m6"}));
  ASSERT_TRUE(b.GoFirst().ok());
  EXPECT_TRUE(*b.FindRecord([&] { return Text(b, "型号") == "m6"; }));
  EXPECT_EQ(*b.CurrentRecordNumber(), 5);
  EXPECT_EQ(*b.SumGrouped(Gbk("价格"), brand), (std::vector<GroupSum>{{{"a"}, 19}}));
}

TEST_P(TableStoreTest, TheChangeCounterMovesWithEveryWriteOfEitherCopyAndOnlyThen) {
  auto a_owner = NewStore();
  auto b_owner = NewStore();
  TableStore& a = *a_owner;
  TableStore& b = *b_owner;
  const std::string path = folder_.Text("CPU.zdb");
  ASSERT_TRUE(a.CreateTable(path, ProductLayout()).ok());
  ASSERT_TRUE(a.OpenTable(path, "CPU").ok());
  ASSERT_TRUE(b.OpenTable(path, "CPU").ok());
  const int64_t start = *b.ChangeCount();
  EXPECT_EQ(*b.ChangeCount(), start) << "a read alone moved it";
  ASSERT_TRUE(b.AppendRecord(Product("b", "m1", 1)).ok());
  const int64_t own = *b.ChangeCount();
  EXPECT_NE(own, start) << "its own write";
  ASSERT_TRUE(a.GoFirst().ok());
  ASSERT_TRUE(a.ModifyRecord(std::vector<OptionalValue>{std::nullopt, Gbk("改")}).ok());
  EXPECT_NE(*b.ChangeCount(), own) << "the other copy's write";
  const int64_t after = *b.ChangeCount();
  EXPECT_EQ(Models(b), std::vector<std::string>{"m1"});
  EXPECT_EQ(*b.ChangeCount(), after) << "reading the records moved it";
}

}  // namespace
}  // namespace pcshop::tables
