// The stock tables' services: the grouped sum, the batch append and the
// upgrade of a layout that grew.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "runtime/tables/aggregate.h"
#include "runtime/tables/table_store.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/runtime/tables/table_test_folder.h"

namespace pcshop::tables {
namespace {

using testing::Gbk;
using testing::ProductLayout;
using testing::ReadBytes;
using testing::TestFolder;

// The stock layout: the product's five fields, 数量, 金额, 日期.
std::vector<FieldSpec> MovementLayout() {
  std::vector<FieldSpec> f = ProductLayout();
  f.push_back({Gbk("数量"), kIntegerField, 20});
  f.push_back({Gbk("金额"), kIntegerField, 20});
  f.push_back({Gbk("日期"), kTextField, 20});
  return f;
}

std::vector<FieldValue> Movement(const std::string& brand, const std::string& model,
                                 int64_t quantity) {
  return {Gbk("CPU"), brand, model, 10, std::string(), quantity, 10 * quantity, std::string("d")};
}

class TableAggregateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(store_.CreateTable(path_, MovementLayout()).ok());
    ASSERT_TRUE(store_.OpenTable(path_, "in").ok());
  }
  Result<std::vector<GroupSum>> Sum(std::vector<std::string> keys) {
    return store_.SumGrouped(Gbk("数量"), keys);
  }
  TestFolder folder_;
  std::string path_ = folder_.Text("入库.zdb");
  TableStore store_;
};

// The first sum leaves a covering index behind, and sums read through it
// are the same, in the same order.
TEST_F(TableAggregateTest, TheFirstSumMakesItsIndexAndLaterSumsAgree) {
  for (const auto& m : {Movement("B", "X2", 1), Movement("A", "X1", 2), Movement("B", "X2", 4)}) {
    ASSERT_TRUE(store_.AppendRecord(m).ok());
  }
  const std::vector<std::string> keys = {Gbk("品牌"), Gbk("型号")};
  const auto first = Sum(keys);
  ASSERT_TRUE(first.ok()) << first.status().message();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(folder_.Native("入库.zdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index'", -1,
                               &stmt, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(stmt, 0), 1);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  ASSERT_TRUE(store_.AppendRecord(Movement("A", "X1", 8)).ok());
  EXPECT_EQ(*Sum(keys), (std::vector<GroupSum>{{{"B", "X2"}, 5}, {{"A", "X1"}, 10}}));
  // A second copy of the table sums through the index it finds.
  TableStore other;
  ASSERT_TRUE(other.OpenTable(path_, "in").ok());
  EXPECT_EQ(*other.SumGrouped(Gbk("数量"), keys), *Sum(keys));
}

TEST_F(TableAggregateTest, SumsComeGroupedInTheOrderOfEachGroupsFirstRecord) {
  for (const auto& m : {Movement("B", "X2", 1), Movement("A", "X1", 2), Movement("B", "X2", 4),
                        Movement("A", "X9", 8), Movement("A", "X1", 16)}) {
    ASSERT_TRUE(store_.AppendRecord(m).ok());
  }
  const auto groups = Sum({Gbk("品牌"), Gbk("型号")});
  ASSERT_TRUE(groups.ok()) << groups.status().message();
  EXPECT_EQ(*groups, (std::vector<GroupSum>{{{"B", "X2"}, 5}, {{"A", "X1"}, 18}, {{"A", "X9"}, 8}}));
  // One key groups coarser; no key sums the whole table.
  EXPECT_EQ(*Sum({Gbk("品牌")}), (std::vector<GroupSum>{{{"B"}, 5}, {{"A"}, 26}}));
  EXPECT_EQ(*Sum({}), (std::vector<GroupSum>{{{}, 31}}));
}

TEST_F(TableAggregateTest, AnEmptyTableHasNoGroupsEvenWithoutKeys) {
  EXPECT_EQ(*Sum({Gbk("型号")}), std::vector<GroupSum>{});
  EXPECT_EQ(*Sum({}), std::vector<GroupSum>{});
}

TEST_F(TableAggregateTest, DeleteMarkedRecordsCountUntilThePurge) {
  ASSERT_TRUE(store_.AppendRecord(Movement("A", "X1", 2)).ok());
  ASSERT_TRUE(store_.AppendRecord(Movement("A", "X1", 3)).ok());
  ASSERT_TRUE(store_.GoToRecord(1).ok());
  ASSERT_TRUE(store_.DeleteRecord().ok());
  // Every read sees a marked record until a purge; so does the sum.
  EXPECT_EQ(*Sum({Gbk("型号")}), (std::vector<GroupSum>{{{"X1"}, 5}}));
  ASSERT_TRUE(store_.PurgeDeleted().ok());
  EXPECT_EQ(*Sum({Gbk("型号")}), (std::vector<GroupSum>{{{"X1"}, 3}}));
}

TEST_F(TableAggregateTest, SumsGoBeyondThirtyTwoBits) {
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(store_.AppendRecord(Movement("A", "X1", 2147483647)).ok());
  ASSERT_TRUE(store_.AppendRecord(Movement("A", "X2", -2147483647)).ok());
  EXPECT_EQ(*Sum({Gbk("型号")}),
            (std::vector<GroupSum>{{{"X1"}, 3 * int64_t{2147483647}}, {{"X2"}, -2147483647}}));
}

TEST_F(TableAggregateTest, AnUnknownOrMistypedFieldIsRefusedByName) {
  ASSERT_TRUE(store_.AppendRecord(Movement("A", "X1", 1)).ok());
  const auto unknown = store_.SumGrouped(Gbk("库存"), std::vector<std::string>{Gbk("型号")});
  ASSERT_FALSE(unknown.ok());
  EXPECT_NE(unknown.status().message().find("SumGrouped: no field named"), std::string::npos)
      << unknown.status().message();
  EXPECT_FALSE(store_.SumGrouped(Gbk("数量"), std::vector<std::string>{Gbk("仓库")}).ok());
  // A text field cannot be summed; an integer field is no key.
  const auto text_sum = store_.SumGrouped(Gbk("型号"), std::vector<std::string>{});
  ASSERT_FALSE(text_sum.ok());
  EXPECT_NE(text_sum.status().message().find("is not an integer field"), std::string::npos);
  EXPECT_FALSE(store_.SumGrouped(Gbk("数量"), std::vector<std::string>{Gbk("金额")}).ok());
}

TEST_F(TableAggregateTest, AppendRecordsWritesAllOrNoneWhenOneRecordIsBad) {
  ASSERT_TRUE(store_.AppendRecord(Movement("A", "X0", 1)).ok());
  std::vector<std::vector<FieldValue>> batch;
  for (int i = 1; i <= 3; ++i) batch.push_back(Movement("A", "X" + std::to_string(i), i));
  batch[1][5] = std::string("two");  // 数量 as text
  const Status bad = store_.AppendRecords(batch);
  ASSERT_FALSE(bad.ok());
  EXPECT_NE(bad.message().find("record 2"), std::string::npos) << bad.message();
  std::vector<std::vector<FieldValue>> too_many = batch;
  too_many[0] = Movement("A", "X1", 1);
  too_many[0].emplace_back(std::in_place_index<1>, "extra");
  EXPECT_FALSE(store_.AppendRecords(too_many).ok());
  EXPECT_FALSE(store_.AppendRecords(std::vector<std::vector<FieldValue>>{}).ok());
  EXPECT_EQ(*store_.RecordCount(), 1);

  batch[1][5] = int64_t{2};
  ASSERT_TRUE(store_.AppendRecords(batch).ok());
  EXPECT_EQ(*store_.RecordCount(), 4);
  EXPECT_EQ(*store_.ReadField(Gbk("型号")), FieldValue(std::string("X3")));  // on the last one
  TableStore other;  // durable and seen by another copy
  ASSERT_TRUE(other.OpenTable(path_, "again").ok());
  EXPECT_EQ(*other.SumGrouped(Gbk("数量"), std::vector<std::string>{}),
            (std::vector<GroupSum>{{{}, 7}}));
}

TEST(TableUpgradeTest, AnOldFiveFieldFileGainsTheNewFieldsAndKeepsItsRecords) {
  TestFolder folder;
  const std::string path = folder.Text("old.zdb");
  {
    TableStore s;
    ASSERT_TRUE(s.CreateTable(path, ProductLayout()).ok());
    ASSERT_TRUE(s.OpenTable(path, "old").ok());
    ASSERT_TRUE(s.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), "A", "X1", 5, Gbk("旧")}).ok());
    ASSERT_TRUE(s.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), "A", "X2", 6}).ok());
    ASSERT_TRUE(s.GoToRecord(2).ok());
    ASSERT_TRUE(s.DeleteRecord().ok());  // a mark survives the upgrade too
    // Open here while it is upgraded: opened again on the new layout.
    ASSERT_TRUE(s.UpgradeTable(path, MovementLayout()).ok());
    EXPECT_EQ(*s.Fields(), MovementLayout());
    ASSERT_EQ(*s.RecordCount(), 2);
    ASSERT_TRUE(s.GoToRecord(1).ok());
    EXPECT_EQ(*s.ReadField(Gbk("备注")), FieldValue(Gbk("旧")));
    EXPECT_EQ(*s.ReadField(Gbk("数量")), FieldValue(int64_t{0}));
    EXPECT_EQ(*s.ReadField(Gbk("日期")), FieldValue(std::string()));
    ASSERT_TRUE(s.GoToRecord(2).ok());
    EXPECT_TRUE(*s.IsDeleted());
    ASSERT_TRUE(s.AppendRecord(Movement("A", "X3", 4)).ok());
  }
  // Again is nothing to do, and the new records stay.
  TableStore s;
  ASSERT_TRUE(s.UpgradeTable(path, MovementLayout()).ok());
  ASSERT_TRUE(s.OpenTable(path, "new").ok());
  EXPECT_EQ(*s.RecordCount(), 3);
  EXPECT_EQ(*s.SumGrouped(Gbk("数量"), std::vector<std::string>{}), (std::vector<GroupSum>{{{}, 4}}));
}

TEST(TableUpgradeTest, AForeignLayoutIsRefusedAndLeftByteForByte) {
  TestFolder folder;
  std::vector<FieldSpec> renamed = ProductLayout();
  renamed[4].name = Gbk("供应商");
  std::vector<FieldSpec> retyped = ProductLayout();
  retyped[3].type_code = kTextField;
  std::vector<FieldSpec> longer = MovementLayout();
  longer.push_back({Gbk("仓库"), kTextField, 20});
  int n = 0;
  for (const auto& layout : {renamed, retyped, longer}) {
    SCOPED_TRACE(n);
    const std::string name = "t" + std::to_string(n++) + ".zdb";
    {
      TableStore s;
      ASSERT_TRUE(s.CreateTable(folder.Text(name), layout).ok());
    }
    const std::string before = ReadBytes(folder.Native(name));
    TableStore s;
    const Status refused = s.UpgradeTable(folder.Text(name), MovementLayout());
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("it is left as it is"), std::string::npos) << refused.message();
    EXPECT_EQ(ReadBytes(folder.Native(name)), before);
  }
  // Not a table at all, and no file: refused, nothing made.
  testing::WriteBytes(folder.Native("text.zdb"), "not a table");
  TableStore s;
  EXPECT_FALSE(s.UpgradeTable(folder.Text("text.zdb"), MovementLayout()).ok());
  EXPECT_EQ(ReadBytes(folder.Native("text.zdb")), "not a table");
  EXPECT_FALSE(s.UpgradeTable(folder.Text("none.zdb"), MovementLayout()).ok());
  EXPECT_FALSE(std::filesystem::exists(folder.Native("none.zdb")));
}

// Sums are kept between calls while the file does not change; every change
// shows in the next sum, whichever copy made it.
TEST_F(TableAggregateTest, EachChangeShowsInTheNextSumWhicheverCopyMadeIt) {
  const std::vector<std::string> keys = {Gbk("品牌"), Gbk("型号")};
  auto total = [&]() -> int64_t {
    const auto groups = Sum(keys);
    EXPECT_TRUE(groups.ok()) << groups.status().message();
    int64_t all = 0;
    for (const GroupSum& g : groups.ok() ? *groups : std::vector<GroupSum>{}) all += g.sum;
    return all;
  };
  ASSERT_TRUE(store_.AppendRecord(Movement("A", "X1", 2)).ok());
  EXPECT_EQ(total(), 2);
  EXPECT_EQ(total(), 2);
  ASSERT_TRUE(store_.AppendRecord(Movement("A", "X1", 3)).ok());
  EXPECT_EQ(total(), 5);
  const OptionalValue seven[] = {std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                 std::nullopt, int64_t{7}};
  ASSERT_TRUE(store_.ModifyRecord(seven).ok());
  EXPECT_EQ(total(), 9);
  ASSERT_TRUE(store_.RemoveRecord().ok());
  EXPECT_EQ(total(), 2);

  TableStore other;  // another copy of the program
  ASSERT_TRUE(other.OpenTable(path_, "in").ok());
  ASSERT_TRUE(other.AppendRecord(Movement("B", "X2", 40)).ok());
  EXPECT_EQ(total(), 42);
  ASSERT_TRUE(other.AppendRecords(std::vector<std::vector<FieldValue>>{Movement("B", "X2", 1),
                                                                       Movement("C", "X3", 1)})
                  .ok());
  EXPECT_EQ(total(), 44);
  ASSERT_TRUE(other.GoFirst().ok());
  ASSERT_TRUE(other.DeleteRecord().ok());  // marked records still count
  EXPECT_EQ(total(), 44);
  ASSERT_TRUE(other.PurgeDeleted().ok());
  EXPECT_EQ(total(), 42);
}

}  // namespace
}  // namespace pcshop::tables
