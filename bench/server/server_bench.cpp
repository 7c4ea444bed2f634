// The copy tool at a shop's size (14,000 products in 14 categories, 5,000
// customers, 500 saved configurations) to the server and back, and a plain
// paged read of 14,000 product rows over libpq beside the same read from a
// table file with SQLite.
//
// Run against a server on loopback:
//   c=$(scripts/pg-cluster start --tcp /tmp/pcshop-bench-pg)
//   PCSHOP_TEST_SERVER="$c" build/bench/server/server_bench
//   scripts/pg-cluster stop /tmp/pcshop-bench-pg

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "runtime/tables/sqlite_handle.h"
#include "runtime/tables/table_format.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/support/test_server.h"
#include "tools/servercopy/pg_handle.h"
#include "tools/servercopy/server_copy.h"
#include "tools/servercopy/server_schema.h"

namespace pcshop::servercopy {
namespace {

namespace fs = std::filesystem;
using tables::FieldSpec;
using tables::FieldValue;
using tables::testing::Gbk;

std::string Server() {
  const char* s = test_server::TestServer();
  return s != nullptr ? s : "";
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "server_bench.XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  const fs::path& dir() const { return dir_; }

 private:
  fs::path dir_;
};


// A table file with `count` records, record i from `make(i)`, in one transaction.
bool WriteTable(const fs::path& file, const std::vector<FieldSpec>& fields, int count,
                const std::function<std::vector<FieldValue>(int)>& make) {
  sqlite3* raw = nullptr;
  sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  tables::Connection db(raw);
  if (!tables::WriteTableSchema(db.get(), fields, file).ok()) return false;
  std::string sql = "INSERT INTO records(" + tables::FieldColumnList(fields.size()) + ") VALUES(?";
  for (size_t i = 1; i < fields.size(); ++i) sql += ", ?";
  auto insert = tables::Prepare(db.get(), sql + ")", file);
  if (!insert.ok() || !tables::Exec(db.get(), "BEGIN", file, "bench").ok()) return false;
  for (int i = 0; i < count; ++i) {
    const std::vector<FieldValue> values = make(i);
    for (size_t f = 0; f < values.size(); ++f) {
      const int index = static_cast<int>(f) + 1;
      if (const auto* t = std::get_if<std::string>(&values[f])) {
        tables::BindBytes(insert->get(), index, *t);
      } else {
        sqlite3_bind_int64(insert->get(), index, std::get<int64_t>(values[f]));
      }
    }
    if (sqlite3_step(insert->get()) != SQLITE_DONE) return false;
    sqlite3_reset(insert->get());
  }
  return tables::Exec(db.get(), "COMMIT", file, "bench").ok();
}

std::vector<FieldValue> ProductRow(const std::string& category, int i) {
  return {category, Gbk("品牌") + std::to_string(i % 40), "Model-" + std::to_string(i),
          int64_t{100} + i, Gbk("备注") + std::to_string(i)};
}

// The shop: 14 x 1,000 products, 5,000 customers, 500 configurations.
bool WriteShop(const fs::path& data) {
  fs::create_directories(data);
  const std::vector<std::string> names = tables::testing::ProductTableNames();
  for (size_t c = 0; c < names.size(); ++c) {
    const std::string category = Gbk(names[c]);
    const int count = c < 14 ? 1000 : 0;  // 入库 and 出库 empty
    if (!WriteTable(data / (names[c] + ".zdb"), tables::testing::ProductLayout(), count,
                    [&](int i) { return ProductRow(category, i); })) {
      return false;
    }
  }
  if (!WriteTable(data / "客户信息.zdb", tables::testing::CustomerLayout(), 5000, [](int i) {
        return std::vector<FieldValue>{Gbk("客户") + std::to_string(i), "kh", Gbk("个人"), "",
                                       "1380000" + std::to_string(i), int64_t{i} * 100000, 0,
                                       "", Gbk("2026年12月9日")};
      })) {
    return false;
  }
  const std::vector<FieldSpec> config = tables::testing::ConfigLayout();
  return WriteTable(data / "配置.zdb", config, 500, [&](int i) {
    std::vector<FieldValue> v;
    for (size_t f = 0; f < config.size(); ++f) {
      if (config[f].type_code == tables::kIntegerField) {
        v.emplace_back(int64_t{i} + static_cast<int64_t>(f));
      } else {
        v.emplace_back(Gbk("配置") + std::to_string(i) + "-" + std::to_string(f));
      }
    }
    return v;
  });
}

void BM_CopyShopRoundTrip(benchmark::State& state) {
  if (Server().empty()) return state.SkipWithError("set PCSHOP_TEST_SERVER");
  TempDir tmp;
  const fs::path data = tmp.dir() / "shop" / "DATA";
  if (!WriteShop(data)) return state.SkipWithError("could not write the shop");
  int64_t records = 0;
  for (auto _ : state) {
    test_server::TestSchema schema;
    if (!schema.ready()) return state.SkipWithError("no schema on the server");
    auto up = CopyToServer(data, schema.conninfo(), {});
    if (!up.ok()) return state.SkipWithError(up.status().message().c_str());
    auto down = CopyFromServer(schema.conninfo(), tmp.dir() / "back" / "DATA", {true, {}});
    if (!down.ok()) return state.SkipWithError(down.status().message().c_str());
    records = 0;
    for (const CopiedTable& t : *down) records += t.records;
  }
  state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_CopyShopRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// 14,000 product rows in one table on each side.
constexpr int kProducts = 14000;

void BM_SqliteReadProducts(benchmark::State& state) {
  TempDir tmp;
  const fs::path file = tmp.dir() / "CPU.zdb";
  const std::string category = Gbk("CPU");
  if (!WriteTable(file, tables::testing::ProductLayout(), kProducts,
                  [&](int i) { return ProductRow(category, i); })) {
    return state.SkipWithError("could not write the table");
  }
  auto db = tables::OpenReadOnlyConnection(file, 5000, false);
  if (!db.ok()) return state.SkipWithError("could not open the table");
  auto select = tables::Prepare(
      db->get(), "SELECT id, deleted, c1, c2, c3, c4, c5 FROM records ORDER BY id", file);
  if (!select.ok()) return state.SkipWithError("could not prepare");
  for (auto _ : state) {
    int64_t bytes = 0;
    int rows = 0;
    while (sqlite3_step(select->get()) == SQLITE_ROW) {
      for (int c = 2; c <= 6; ++c) bytes += sqlite3_column_bytes(select->get(), c);
      ++rows;
    }
    sqlite3_reset(select->get());
    if (rows != kProducts) return state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_SqliteReadProducts)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole table in pages of state.range(0) rows from a binary cursor, on
// one open connection, in one read transaction per pass.
void BM_ServerPagedReadProducts(benchmark::State& state) {
  if (Server().empty()) return state.SkipWithError("set PCSHOP_TEST_SERVER");
  TempDir tmp;
  const fs::path data = tmp.dir() / "DATA";
  fs::create_directories(data);
  const std::string category = Gbk("CPU");
  if (!WriteTable(data / "CPU.zdb", tables::testing::ProductLayout(), kProducts,
                  [&](int i) { return ProductRow(category, i); })) {
    return state.SkipWithError("could not write the table");
  }
  test_server::TestSchema schema;
  if (!schema.ready()) return state.SkipWithError("no schema on the server");
  if (!CopyToServer(data, schema.conninfo(), {}).ok()) return state.SkipWithError("copy failed");
  auto conn = Connect(schema.conninfo());
  if (!conn.ok()) return state.SkipWithError("cannot connect");
  PGconn* c = conn->get();
  const std::string fetch = "FETCH FORWARD " + std::to_string(state.range(0)) + " FROM rows";
  for (auto _ : state) {
    int64_t bytes = 0;
    int rows = 0;
    (void)Exec(c, "BEGIN; DECLARE rows BINARY CURSOR FOR SELECT id, deleted, c1, c2, c3, c4, c5 "
                  "FROM " + RecordsTable(1) + " ORDER BY id", "bench");
    for (;;) {
      auto page = Query(c, fetch, "bench");
      if (!page.ok()) return state.SkipWithError(page.status().message().c_str());
      const int n = PQntuples(page->get());
      if (n == 0) break;
      for (int r = 0; r < n; ++r) {
        for (int col = 2; col <= 6; ++col) bytes += PQgetlength(page->get(), r, col);
      }
      rows += n;
    }
    (void)Exec(c, "COMMIT", "bench");
    if (rows != kProducts) return state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_ServerPagedReadProducts)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(14000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace pcshop::servercopy

BENCHMARK_MAIN();
