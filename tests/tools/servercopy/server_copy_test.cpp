#include "tools/servercopy/server_copy.h"

#include <gtest/gtest.h>

#include <fstream>

#include "runtime/files/native_path.h"
#include "runtime/tables/table_store.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/runtime/tables/table_test_folder.h"
#include "tests/tools/servercopy/shop_data.h"
#include "tests/tools/servercopy/test_schema.h"

namespace pcshop::servercopy::testing {
namespace {

namespace fs = std::filesystem;
using tables::testing::Gbk;
using tables::testing::ProductLayout;

// One value as text, straight from the server.
std::string Ask(PGconn* conn, const std::string& sql) {
  PgResult res(PQexec(conn, sql.c_str()));
  EXPECT_EQ(PQresultStatus(res.get()), PGRES_TUPLES_OK) << sql << ": " << PQerrorMessage(conn);
  if (PQresultStatus(res.get()) != PGRES_TUPLES_OK || PQntuples(res.get()) == 0) return "";
  return PQgetvalue(res.get(), 0, 0);
}

std::string Hex(const std::string& bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
  }
  return out;
}

void Execute(PGconn* conn, const std::string& sql) {
  PgResult res(PQexec(conn, sql.c_str()));
  EXPECT_EQ(PQresultStatus(res.get()), PGRES_COMMAND_OK) << sql << ": " << PQerrorMessage(conn);
}

// The server's id of a table of the shop, by file name (UTF-8).
std::string TableId(PGconn* conn, const std::string& file) {
  return Ask(conn, "SELECT id FROM pcshop_tables WHERE name = '\\x" + Hex(Gbk("DATA/" + file)) +
                       "'::bytea");
}

class ServerCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (TestServer().empty()) GTEST_SKIP() << kNoTestServer;
    ASSERT_TRUE(schema_.ready()) << schema_.error();
    conn_ = schema_.Open();
    ASSERT_TRUE(conn_);
    data_ = folder_.dir() / "shop" / "DATA";
    back_ = folder_.dir() / "back" / "DATA";
    fs::create_directories(data_);
    shop_ = SmallShop();
    WriteShop(data_, shop_);
  }

  Result<std::vector<CopiedTable>> ToServer(bool replace = false) {
    return CopyToServer(data_, schema_.conninfo(), {replace, {}});
  }
  Result<std::vector<CopiedTable>> FromServer(bool replace = false) {
    return CopyFromServer(schema_.conninfo(), back_, {replace, {}});
  }

  tables::testing::TestFolder folder_;
  TestSchema schema_;
  PgConnection conn_;
  fs::path data_;
  fs::path back_;
  std::map<std::string, TableContent> shop_;
};

TEST_F(ServerCopyTest, RoundTripGivesByteIdenticalRecords) {
  auto up = ToServer();
  ASSERT_TRUE(up.ok()) << up.status().ToString();
  ASSERT_EQ(up->size(), shop_.size());

  // The server holds the contract's names and the exact bytes.
  EXPECT_EQ(Ask(conn_.get(), "SELECT count(*) FROM pcshop_tables"), "5");
  const std::string cpu = TableId(conn_.get(), "CPU.zdb");
  ASSERT_FALSE(cpu.empty());
  EXPECT_EQ(Ask(conn_.get(), "SELECT encode(c5, 'hex') FROM pcshop_t" + cpu + " WHERE id = 9"),
            "fffe00805c");
  EXPECT_EQ(Ask(conn_.get(), "SELECT c4 FROM pcshop_t" + cpu + " WHERE id = 5"),
            "-9223372036854775808");
  EXPECT_EQ(Ask(conn_.get(), "SELECT string_agg(deleted::text, ',' ORDER BY id) FROM pcshop_t" +
                                 cpu),
            "false,false,true,false");
  EXPECT_EQ(Ask(conn_.get(), "SELECT count(*) FROM pcshop_fields WHERE table_id = " +
                                 TableId(conn_.get(), "配置.zdb")),
            "108");
  // A counter's next append follows the largest id copied, or starts at 1.
  for (const auto& [file, next] : {std::pair{"CPU.zdb", "10"}, {"内存.zdb", "1"}}) {
    Execute(conn_.get(), "BEGIN");
    EXPECT_EQ(Ask(conn_.get(), "INSERT INTO pcshop_t" + TableId(conn_.get(), file) +
                                   " DEFAULT VALUES RETURNING id"),
              next)
        << file;
    Execute(conn_.get(), "ROLLBACK");
  }

  auto down = FromServer();
  ASSERT_TRUE(down.ok()) << down.status().ToString();
  std::vector<std::string> names;
  for (const auto& [file, content] : shop_) {
    names.push_back(file);
    EXPECT_EQ(ReadTable(back_ / file), content) << file;
  }
  EXPECT_EQ(TableFileNames(back_), names);

  // The program's table store takes the copy as one of its own files.
  tables::TableStore store;
  const std::string path = *files::ToTextPath(back_ / "CPU.zdb");
  ASSERT_TRUE(store.OpenTable(path, "CPU").ok());
  EXPECT_EQ(*store.RecordCount(), 4);
  ASSERT_TRUE(store.GoToRecord(3).ok());
  EXPECT_TRUE(*store.IsDeleted());
  ASSERT_TRUE(store.GoToRecord(4).ok());
  EXPECT_EQ(std::get<std::string>(*store.ReadField(Gbk("备注"))), std::string("\xFF\xFE\x00\x80\x5C", 5));
  const std::vector<tables::FieldValue> added = {Gbk("CPU"), Gbk("新"), Gbk("新"), int64_t{1},
                                                 Gbk("")};
  EXPECT_TRUE(store.AppendRecord(added).ok());
}

TEST_F(ServerCopyTest, ToServerRefusesTablesWithRecordsUnlessReplacing) {
  ASSERT_TRUE(ToServer().ok());
  const std::string cpu = TableId(conn_.get(), "CPU.zdb");
  const std::string version = Ask(conn_.get(), "SELECT version FROM pcshop_tables WHERE id = " + cpu);
  fs::remove(data_ / "CPU.zdb");
  TableContent changed{ProductLayout(), {Product(1, "CPU", "兆芯", "KX-7000", 1)}};
  WriteTable(data_ / "CPU.zdb", changed);

  auto refused = ToServer();
  ASSERT_FALSE(refused.ok());
  const std::string msg = refused.status().message();
  EXPECT_NE(msg.find("DATA/CPU.zdb already holds 4 records"), std::string::npos) << msg;
  EXPECT_NE(msg.find("--replace"), std::string::npos) << msg;
  // The empty table is no reason to refuse, and nothing at all was copied.
  EXPECT_EQ(msg.find("内存"), std::string::npos) << msg;
  EXPECT_EQ(Ask(conn_.get(), "SELECT count(*) FROM pcshop_t" + cpu), "4");

  auto replaced = ToServer(true);
  ASSERT_TRUE(replaced.ok()) << replaced.status().ToString();
  EXPECT_EQ(TableId(conn_.get(), "CPU.zdb"), cpu) << "the table keeps its id";
  EXPECT_GT(std::stoll(Ask(conn_.get(), "SELECT version FROM pcshop_tables WHERE id = " + cpu)),
            std::stoll(version));
  ASSERT_TRUE(FromServer().ok());
  EXPECT_EQ(ReadTable(back_ / "CPU.zdb"), changed);
}

TEST_F(ServerCopyTest, ToServerFillsAnEmptyServerTableWithoutReplace) {
  ASSERT_TRUE(ToServer().ok());
  const std::string cpu = TableId(conn_.get(), "CPU.zdb");
  Execute(conn_.get(), "DELETE FROM pcshop_t" + cpu);
  auto again = ToServer();
  // The other tables still hold records.
  ASSERT_FALSE(again.ok());
  EXPECT_EQ(again.status().message().find("CPU.zdb"), std::string::npos);
  for (const auto& [file, content] : shop_) {
    if (file != "CPU.zdb") Execute(conn_.get(), "DELETE FROM pcshop_t" + TableId(conn_.get(), file));
  }
  ASSERT_TRUE(ToServer().ok());
  EXPECT_EQ(Ask(conn_.get(), "SELECT count(*) FROM pcshop_t" + cpu), "4");
}

TEST_F(ServerCopyTest, FromServerRefusesExistingFilesUnlessReplacing) {
  ASSERT_TRUE(ToServer().ok());
  fs::create_directories(back_);
  tables::testing::WriteBytes(back_ / "CPU.zdb", "keep me");

  auto refused = FromServer();
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.status().message().find((back_ / "CPU.zdb").string()), std::string::npos)
      << refused.status().message();
  EXPECT_EQ(tables::testing::ReadBytes(back_ / "CPU.zdb"), "keep me");
  EXPECT_EQ(TableFileNames(back_), std::vector<std::string>{"CPU.zdb"}) << "nothing else written";

  // A log left beside the old file must not be laid over the new one.
  tables::testing::WriteBytes(back_ / "CPU.zdb-wal", std::string(4096, 'x'));
  auto replaced = FromServer(true);
  ASSERT_TRUE(replaced.ok()) << replaced.status().ToString();
  EXPECT_FALSE(fs::exists(back_ / "CPU.zdb-wal"));
  for (const auto& [file, content] : shop_) EXPECT_EQ(ReadTable(back_ / file), content) << file;
}

TEST_F(ServerCopyTest, DamagedTableFileIsNamedAndNothingReachesTheServer) {
  const fs::path gpu = data_ / "显卡.zdb";
  const std::string good = tables::testing::ReadBytes(gpu);
  struct Damage {
    const char* what;
    std::string bytes;
  };
  // The last page's header: its kind byte and cell counts become nonsense.
  std::string torn = good;
  torn.replace(torn.size() - 4096, 16, std::string(16, '\x5A'));
  const Damage damages[] = {
      {"not a database", "这不是一个表文件 at all, just text"},
      {"cut short", good.substr(0, good.size() / 2)},
      {"a page overwritten", torn},
  };
  for (const Damage& d : damages) {
    tables::testing::WriteBytes(gpu, d.bytes);
    auto copied = ToServer();
    ASSERT_FALSE(copied.ok()) << d.what;
    EXPECT_NE(copied.status().message().find(gpu.string()), std::string::npos)
        << d.what << ": " << copied.status().message();
    EXPECT_EQ(Ask(conn_.get(), "SELECT to_regclass('pcshop_tables') IS NULL"), "t") << d.what;
  }
}

TEST_F(ServerCopyTest, FromServerRefusesATableWhoseColumnsDoNotMatchItsFields) {
  ASSERT_TRUE(ToServer().ok());
  Execute(conn_.get(), "ALTER TABLE pcshop_t" + TableId(conn_.get(), "显卡.zdb") + " DROP COLUMN c5");
  auto copied = FromServer();
  ASSERT_FALSE(copied.ok());
  EXPECT_NE(copied.status().message().find("DATA/显卡.zdb"), std::string::npos)
      << copied.status().message();
  EXPECT_FALSE(fs::exists(back_)) << "nothing written";
}

TEST_F(ServerCopyTest, FromServerOfAFolderWithoutServerTablesSaysSo) {
  ASSERT_TRUE(ToServer().ok());
  auto copied = CopyFromServer(schema_.conninfo(), folder_.dir() / "备份", {});
  ASSERT_FALSE(copied.ok());
  EXPECT_NE(copied.status().message().find("no tables named 备份/"), std::string::npos)
      << copied.status().message();
}

}  // namespace
}  // namespace pcshop::servercopy::testing
