// Files that are not tables, and files already in the way, are refused with
// a clear message and left exactly as they were.

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/tables/table_store.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/runtime/tables/table_test_folder.h"

namespace pcshop::tables {
namespace {

using testing::Gbk;
using testing::ReadBytes;
using testing::TestFolder;
using testing::WriteBytes;

std::string RandomBytes(size_t n) {
  std::mt19937 gen(42);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

void MakeForeignDatabase(const std::filesystem::path& p) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(p.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE customers(name TEXT); INSERT INTO customers VALUES('x')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
}

struct NotATable {
  const char* name;
  std::string reason;
};

TEST(TableRefusalTest, FilesThatAreNotTablesAreRefusedAndLeftByteIdentical) {
  TestFolder folder;
  WriteBytes(folder.Native("random.zdb"), RandomBytes(8192));
  WriteBytes(folder.Native("empty.zdb"), "");
  MakeForeignDatabase(folder.Native("foreign.zdb"));
  const NotATable cases[] = {{"random.zdb", "not an SQLite database"},
                             {"empty.zdb", "no table mark in its header"},
                             {"foreign.zdb", "no table mark in its header"}};
  for (const NotATable& c : cases) {
    const std::string before = ReadBytes(folder.Native(c.name));
    TableStore store;
    const Status s = store.OpenTable(folder.Text(c.name), "x");
    EXPECT_EQ(s.code(), Status::Code::kInvalidArgument) << c.name;
    EXPECT_EQ(s.message(), folder.Native(c.name).string() + ": not a table file: " + c.reason);
    EXPECT_EQ(store.CurrentTableName(), "");
    // Neither opening nor creating over it may change a byte.
    EXPECT_EQ(store.CreateTable(folder.Text(c.name), testing::ProductLayout()).message(),
              folder.Native(c.name).string() + ": a file already exists there; it is left as it is");
    EXPECT_EQ(ReadBytes(folder.Native(c.name)), before) << c.name;
  }
}

TEST(TableRefusalTest, CreatingOverAnExistingTableLeavesItsRecords) {
  TestFolder folder;
  TableStore store;
  const std::string path = folder.Text("CPU.zdb");
  ASSERT_TRUE(store.CreateTable(path, testing::ProductLayout()).ok());
  ASSERT_TRUE(store.OpenTable(path, "CPU").ok());
  ASSERT_TRUE(store.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), std::string("a")}).ok());
  EXPECT_FALSE(store.CreateTable(path, testing::CustomerLayout()).ok());
  TableStore again;
  ASSERT_TRUE(again.OpenTable(path, "CPU").ok());
  EXPECT_EQ(*again.RecordCount(), 1);
  EXPECT_EQ(*again.Fields(), testing::ProductLayout());
  // No temporary file is left behind by either creation.
  for (const auto& entry : std::filesystem::directory_iterator(folder.dir())) {
    EXPECT_NE(entry.path().filename().string().rfind(".CPU.zdb.", 0), 0u) << entry.path();
  }
}

TEST(TableRefusalTest, OpeningNeverCreatesAFile) {
  TestFolder folder;
  TableStore store;
  EXPECT_EQ(store.OpenTable(folder.Text("CPU.zdb"), "CPU").message(),
            folder.Native("CPU.zdb").string() + ": no table file there");
  EXPECT_FALSE(std::filesystem::exists(folder.Native("CPU.zdb")));
  std::filesystem::create_directory(folder.Native("DATA"));
  EXPECT_EQ(store.OpenTable(folder.Text("DATA"), "CPU").message(),
            folder.Native("DATA").string() + ": not a table file: not a regular file");
}

TEST(TableRefusalTest, BadFieldListsAndMissingFoldersAreRefused) {
  TestFolder folder;
  TableStore store;
  const std::string path = folder.Text("t.zdb");
  const std::string native = folder.Native("t.zdb").string();
  EXPECT_EQ(store.CreateTable(path, {}).message(), native + ": a table needs at least one field");
  std::vector<FieldSpec> twice = {{"a", kTextField, 20}, {"a", kIntegerField, 20}};
  EXPECT_EQ(store.CreateTable(path, twice).message(), native + ": field 2 repeats the name a");
  std::vector<FieldSpec> date = {{"a", 8, 20}};
  EXPECT_EQ(store.CreateTable(path, date).message(),
            native + ": field 1 (a) has type code 8; 10 (text) or 3 (integer)");
  EXPECT_EQ(store.CreateTable(folder.Text("DATA\\t.zdb"), testing::ProductLayout()).message(),
            folder.Native("DATA/t.zdb").string() + ": the folder does not exist");
  EXPECT_TRUE(std::filesystem::is_empty(folder.dir()));
}

TEST(TableRefusalTest, DamagedValuesAreReportedWithTheirRecord) {
  TestFolder folder;
  {
    TableStore store;
    ASSERT_TRUE(store.CreateTable(folder.Text("CPU.zdb"), testing::ProductLayout()).ok());
    ASSERT_TRUE(store.OpenTable(folder.Text("CPU.zdb"), "CPU").ok());
    ASSERT_TRUE(store.AppendRecord(std::vector<FieldValue>{Gbk("CPU")}).ok());
  }
  // Another tool stores a real number where the price belongs; the strict
  // record table refuses it, so the tool has to replace the table to do so.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(folder.Native("CPU.zdb").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "DROP TABLE records;"
                         "CREATE TABLE records(id INTEGER PRIMARY KEY, deleted INTEGER, "
                         "c1 BLOB, c2 BLOB, c3 BLOB, c4, c5 BLOB);"
                         "INSERT INTO records VALUES(1, 0, x'435055', x'', x'', 12.5, x'')",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  TableStore store;
  ASSERT_TRUE(store.OpenTable(folder.Text("CPU.zdb"), "CPU").ok());
  EXPECT_EQ(*store.RecordCount(), 1);
  const Status s = store.GoToRecord(1);
  EXPECT_EQ(s.code(), Status::Code::kCorruption);
  EXPECT_EQ(s.message(), folder.Native("CPU.zdb").string() +
                             ": record id 1, field 价格: not an integer");
}

}  // namespace
}  // namespace pcshop::tables

namespace pcshop::tables {
namespace {

TEST(TableRefusalTest, AThirtyTwoBitFileIsWidenedOnOpeningAndKeepsItsRecords) {
  TestFolder folder;
  {
    TableStore store;
    ASSERT_TRUE(store.CreateTable(folder.Text("CPU.zdb"), testing::ProductLayout()).ok());
  }
  // The layout files had before integers grew to 64 bits.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(folder.Native("CPU.zdb").c_str(), &db), SQLITE_OK);
  std::string old = "DROP TABLE records; CREATE TABLE records(id INTEGER PRIMARY KEY, "
                    "deleted INTEGER NOT NULL DEFAULT 0, c1 BLOB NOT NULL DEFAULT x'', "
                    "c2 BLOB NOT NULL DEFAULT x'', c3 BLOB NOT NULL DEFAULT x'', "
                    "c4 INTEGER NOT NULL DEFAULT 0 CHECK (c4 BETWEEN -2147483648 AND "
                    "2147483647), c5 BLOB NOT NULL DEFAULT x'') STRICT;"
                    "INSERT INTO records VALUES(3, 1, x'435055', x'41', x'5831', 1999, x'');"
                    "INSERT INTO records VALUES(7, 0, x'435055', x'42', x'5832', -5, x'');"
                    "PRAGMA user_version = 1;";
  ASSERT_EQ(sqlite3_exec(db, old.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);

  TableStore store;
  ASSERT_TRUE(store.OpenTable(folder.Text("CPU.zdb"), "CPU").ok());
  ASSERT_EQ(*store.RecordCount(), 2);
  ASSERT_TRUE(store.GoToRecord(1).ok());
  EXPECT_EQ(*store.IsDeleted(), true);  // the mark survives
  EXPECT_EQ(std::get<int64_t>(*store.ReadField(Gbk("价格"))), 1999);
  ASSERT_TRUE(store.GoToRecord(2).ok());
  EXPECT_EQ(std::get<int64_t>(*store.ReadField(Gbk("价格"))), -5);
  const std::vector<OptionalValue> big = {std::nullopt, std::nullopt, std::nullopt,
                                          FieldValue(int64_t{9999900000})};
  EXPECT_TRUE(store.ModifyRecord(big).ok());
  ASSERT_TRUE(store.AppendRecord(std::vector<FieldValue>{Gbk("CPU")}).ok());

  TableStore again;
  ASSERT_TRUE(again.OpenTable(folder.Text("CPU.zdb"), "CPU").ok());
  ASSERT_TRUE(again.GoToRecord(2).ok());
  EXPECT_EQ(std::get<int64_t>(*again.ReadField(Gbk("价格"))), 9999900000);
  EXPECT_EQ(*again.RecordCount(), 3);
}

}  // namespace
}  // namespace pcshop::tables
