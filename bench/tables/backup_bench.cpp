// A backup of a grown shop: 14,000 products over the fourteen category
// tables, 5,000 customers, 100,000 stock movements and 20,000 payments, on
// files and on the server (PCSHOP_TEST_SERVER; skipped without it). Each
// iteration makes one whole checked backup folder.
//
// Run: backup_bench

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/files/native_path.h"
#include "runtime/tables/server_backend.h"
#include "runtime/tables/table_backup.h"
#include "runtime/tables/table_store.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/support/test_server.h"

namespace pcshop::tables {
namespace {

namespace fs = std::filesystem;
using testing::Gbk;

struct Shop {
  fs::path dir;
  std::optional<test_server::TestSchema> schema;
  bool ready = false;
  ~Shop() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

void Fill(TableStore& store, const fs::path& dir, const std::string& name, int64_t records) {
  const std::string path = *files::ToTextPath(dir / "DATA" / (name + ".zdb"));
  (void)store.CreateTable(path, testing::ProductLayout());
  (void)store.OpenTable(path, Gbk(name));
  std::vector<std::vector<FieldValue>> batch;
  for (int64_t i = 0; i < records; ++i) {
    batch.push_back({Gbk(name), Gbk("品牌"), "model " + std::to_string(i), i, Gbk("备注")});
    if (batch.size() == 5000 || i + 1 == records) {
      (void)store.AppendRecords(batch);
      batch.clear();
    }
  }
}

std::unique_ptr<Shop> MakeShop(bool server) {
  auto shop = std::make_unique<Shop>();
  std::string pattern = (fs::temp_directory_path() / "backup_bench.XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return shop;
  shop->dir = pattern;
  fs::create_directories(shop->dir / "DATA");
  std::unique_ptr<TableStore> store = std::make_unique<TableStore>();
  if (server) {
    shop->schema.emplace();
    if (!shop->schema->ready()) return shop;
    auto backend = ServerBackend::Connect(shop->schema->conninfo(), shop->dir);
    if (!backend.ok()) return shop;
    store = std::make_unique<TableStore>(std::move(backend).value());
  }
  for (const std::string& category : testing::ProductTableNames()) Fill(*store, shop->dir, category, 1000);
  Fill(*store, shop->dir, "客户", 5000);
  Fill(*store, shop->dir, "入库", 100000);
  Fill(*store, shop->dir, "收付款", 20000);
  shop->ready = true;
  return shop;
}

void Backup(benchmark::State& state, bool server) {
  if (server && test_server::TestServer() == nullptr) {
    state.SkipWithError("PCSHOP_TEST_SERVER is not set");
    return;
  }
  const std::unique_ptr<Shop> shop = MakeShop(server);
  if (!shop->ready) {
    state.SkipWithError("the shop could not be made");
    return;
  }
  const BackupSource source{shop->dir / "DATA", server ? shop->schema->conninfo() : ""};
  int n = 0;
  for (auto _ : state) {
    auto made = MakeBackup(source, shop->dir / "备份" / std::to_string(n++), "w", "r");
    if (!made.ok()) state.SkipWithError(made.status().message().c_str());
  }
}

BENCHMARK_CAPTURE(Backup, Files, false)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(Backup, Server, true)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace pcshop::tables

BENCHMARK_MAIN();
