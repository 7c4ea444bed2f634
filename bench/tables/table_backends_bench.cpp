// The table store on files and on the server side by side, as the program
// uses it: the 全部商品 walk of 14,000 products (RecordCount, then
// GoToRecord and ReadField of every field per record), one append, and the
// stock sum over 100,000 movements. The server part needs PCSHOP_TEST_SERVER
// (a libpq connection string; a loopback server for figures that mean
// something) and is skipped without it.
//
// Run: table_backends_bench [--benchmark_filter=Walk]

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/files/native_path.h"
#include "runtime/tables/server_backend.h"
#include "runtime/tables/table_store.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/support/test_server.h"

namespace pcshop::tables {
namespace {

using testing::Gbk;

using test_server::TestServer;

// A folder and, for the server, a schema of their own for one run.
class Workspace {
 public:
  explicit Workspace(bool server) {
    std::string pattern = (std::filesystem::temp_directory_path() / "backend_bench.XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
    if (server) schema_.emplace();
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  ~Workspace() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::unique_ptr<TableStore> Store() const {
    if (!schema_) return std::make_unique<TableStore>();
    if (!schema_->ready()) return nullptr;
    auto backend = ServerBackend::Connect(schema_->conninfo(), dir_);
    if (!backend.ok()) return nullptr;
    return std::make_unique<TableStore>(std::move(backend).value());
  }
  std::string Path(const std::string& name) const { return *files::ToTextPath(dir_ / name); }

 private:
  std::filesystem::path dir_;
  std::optional<test_server::TestSchema> schema_;
};

// A table of `count` products, open under "t" in `store`.
bool Fill(TableStore& store, const std::string& path, int count, int brands) {
  if (!store.CreateTable(path, testing::ProductLayout()).ok()) return false;
  if (!store.OpenTable(path, "t").ok()) return false;
  std::vector<std::vector<FieldValue>> batch;
  for (int i = 0; i < count; ++i) {
    batch.push_back({Gbk("显卡"), "brand" + std::to_string(i % brands), "model" + std::to_string(i),
                     int64_t{i % 7}, Gbk("备注")});
    if (batch.size() == 5000 || i + 1 == count) {
      if (!store.AppendRecords(batch).ok()) return false;
      batch.clear();
    }
  }
  return true;
}

bool Skip(benchmark::State& state, bool server) {
  if (server && TestServer() == nullptr) {
    state.SkipWithError("no test server: set PCSHOP_TEST_SERVER");
    return true;
  }
  return false;
}

void BM_WalkAllProducts(benchmark::State& state) {
  const bool server = state.range(0) == 1;
  if (Skip(state, server)) return;
  Workspace w(server);
  auto store = w.Store();
  if (store == nullptr || !Fill(*store, w.Path("t.zdb"), 14000, 40)) {
    state.SkipWithError("cannot set up the table");
    return;
  }
  const std::vector<std::string> names = {Gbk("品名"), Gbk("品牌"), Gbk("型号"), Gbk("价格"),
                                          Gbk("备注")};
  for (auto _ : state) {
    const int32_t n = *store->RecordCount();
    size_t bytes = 0;
    for (int32_t i = 1; i <= n; ++i) {
      if (!store->GoToRecord(i).ok()) state.SkipWithError("walk failed");
      for (const std::string& f : names) {
        auto v = store->ReadFieldView(f);
        if (v.ok() && std::holds_alternative<std::string_view>(*v)) {
          bytes += std::get<std::string_view>(*v).size();
        }
      }
    }
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_WalkAllProducts)->ArgName("server")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_AppendOne(benchmark::State& state) {
  const bool server = state.range(0) == 1;
  if (Skip(state, server)) return;
  Workspace w(server);
  auto store = w.Store();
  if (store == nullptr || !Fill(*store, w.Path("t.zdb"), 1000, 40)) {
    state.SkipWithError("cannot set up the table");
    return;
  }
  int i = 0;
  for (auto _ : state) {
    const std::vector<FieldValue> row = {Gbk("显卡"), std::string("b"), "n" + std::to_string(++i),
                                         int64_t{1}, std::string()};
    if (!store->AppendRecord(row).ok()) state.SkipWithError("append failed");
  }
}
BENCHMARK(BM_AppendOne)->ArgName("server")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_StockSum(benchmark::State& state) {
  const bool server = state.range(0) == 1;
  if (Skip(state, server)) return;
  Workspace w(server);
  auto store = w.Store();
  if (store == nullptr || !Fill(*store, w.Path("t.zdb"), 100000, 2000)) {
    state.SkipWithError("cannot set up the table");
    return;
  }
  const std::vector<std::string> keys = {Gbk("品名"), Gbk("品牌")};
  for (auto _ : state) {
    auto sums = store->SumGrouped(Gbk("价格"), keys);
    if (!sums.ok()) state.SkipWithError("sum failed");
    benchmark::DoNotOptimize(sums);
  }
}
BENCHMARK(BM_StockSum)->ArgName("server")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pcshop::tables

BENCHMARK_MAIN();
