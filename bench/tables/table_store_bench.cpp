// Each operation of the table store next to the same work written directly
// with SQLite statements on the same file (the floor), at 1,000, 10,000 and
// 100,000 records. The summary at the end prints store time / floor time.
//
// Run: table_store_bench [--benchmark_filter=Walk]
// Appending 100,000 records makes 100,000 synced commits per variant and takes
// minutes; --benchmark_filter='Append/.*/1000/|Append/.*/10000/' skips it.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/files/native_path.h"
#include "runtime/tables/table_store.h"
#include "tests/runtime/tables/table_layouts.h"

namespace pcshop::tables {
namespace {

using testing::Gbk;

struct Db {
  sqlite3* db = nullptr;
  explicit Db(const std::filesystem::path& p) {
    sqlite3_open_v2(p.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL", nullptr, nullptr,
                 nullptr);
  }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;
  ~Db() { sqlite3_close(db); }
  sqlite3_stmt* Prepare(const char* sql) const {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    return st;
  }
  void Exec(const char* sql) const { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

// A folder of fresh tables for one run of the program.
class Workspace {
 public:
  Workspace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "table_bench.XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  ~Workspace() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::filesystem::path Native(const std::string& name) const { return dir_ / name; }
  std::string Text(const std::string& name) const { return *files::ToTextPath(dir_ / name); }

  // A new product table holding `n` products, the model of record i being
  // "m<i>"; filled in one transaction so that setting up stays quick.
  std::string FreshTable(int64_t n) {
    const std::string name = "t" + std::to_string(++counter_) + ".zdb";
    TableStore store;
    (void)store.CreateTable(Text(name), testing::ProductLayout());
    Db db(Native(name));
    db.Exec("BEGIN");
    sqlite3_stmt* ins = db.Prepare("INSERT INTO records(deleted, c1, c2, c3, c4, c5) VALUES(0, ?, ?, ?, ?, ?)");
    const std::string kind = Gbk("CPU");
    const std::string brand = Gbk("英特尔");
    const std::string remark = Gbk("盒装");
    for (int64_t i = 1; i <= n; ++i) {
      const std::string model = "m" + std::to_string(i);
      sqlite3_bind_blob(ins, 1, kind.data(), static_cast<int>(kind.size()), SQLITE_STATIC);
      sqlite3_bind_blob(ins, 2, brand.data(), static_cast<int>(brand.size()), SQLITE_STATIC);
      sqlite3_bind_blob(ins, 3, model.data(), static_cast<int>(model.size()), SQLITE_STATIC);
      sqlite3_bind_int(ins, 4, static_cast<int>(i));
      sqlite3_bind_blob(ins, 5, remark.data(), static_cast<int>(remark.size()), SQLITE_STATIC);
      sqlite3_step(ins);
      sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    db.Exec("COMMIT");
    return name;
  }

 private:
  std::filesystem::path dir_;
  int counter_ = 0;
};

std::vector<FieldValue> ProductValues(int64_t i) {
  return {Gbk("CPU"), Gbk("英特尔"), "m" + std::to_string(i), static_cast<int32_t>(i), Gbk("盒装")};
}

const std::vector<std::string>& FieldNames() {
  static const std::vector<std::string> names = {Gbk("品名"), Gbk("品牌"), Gbk("型号"),
                                                 Gbk("价格"), Gbk("备注")};
  return names;
}

// Appending n products, one durable write each.
void AppendStore(benchmark::State& state, Workspace* ws) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::string name = ws->FreshTable(0);
    TableStore store;
    (void)store.OpenTable(ws->Text(name), "CPU");
    state.ResumeTiming();
    for (int64_t i = 1; i <= state.range(0); ++i) {
      if (!store.AppendRecord(ProductValues(i)).ok()) state.SkipWithError("append failed");
    }
  }
}

void AppendFloor(benchmark::State& state, Workspace* ws) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::string name = ws->FreshTable(0);
    Db db(ws->Native(name));
    sqlite3_stmt* begin = db.Prepare("BEGIN IMMEDIATE");
    sqlite3_stmt* commit = db.Prepare("COMMIT");
    sqlite3_stmt* ins = db.Prepare("INSERT INTO records(deleted, c1, c2, c3, c4, c5) VALUES(0, ?, ?, ?, ?, ?)");
    state.ResumeTiming();
    for (int64_t i = 1; i <= state.range(0); ++i) {
      const std::vector<FieldValue> v = ProductValues(i);
      sqlite3_step(begin);
      sqlite3_reset(begin);
      for (int c = 0; c < 5; ++c) {
        if (const auto* t = std::get_if<std::string>(&v[static_cast<size_t>(c)])) {
          sqlite3_bind_blob(ins, c + 1, t->data(), static_cast<int>(t->size()), SQLITE_TRANSIENT);
        } else {
          sqlite3_bind_int64(ins, c + 1, std::get<int64_t>(v[static_cast<size_t>(c)]));
        }
      }
      if (sqlite3_step(ins) != SQLITE_DONE) state.SkipWithError("insert failed");
      sqlite3_reset(ins);
      sqlite3_step(commit);
      sqlite3_reset(commit);
    }
    sqlite3_finalize(begin);
    sqlite3_finalize(commit);
    sqlite3_finalize(ins);
  }
}

// Walking every record by number and reading its five fields.
void WalkStore(benchmark::State& state, Workspace* ws) {
  const std::string name = ws->FreshTable(state.range(0));
  TableStore store;
  (void)store.OpenTable(ws->Text(name), "CPU");
  int64_t sum = 0;
  for (auto _ : state) {
    const int32_t n = *store.RecordCount();
    for (int32_t i = 1; i <= n; ++i) {
      (void)store.GoToRecord(i);
      for (const std::string& f : FieldNames()) {
        auto v = store.ReadField(f);
        sum += v.ok() && IsText(*v) ? static_cast<int64_t>(std::get<std::string>(*v).size()) : 1;
      }
    }
  }
  benchmark::DoNotOptimize(sum);
}

void WalkFloor(benchmark::State& state, Workspace* ws) {
  const std::string name = ws->FreshTable(state.range(0));
  Db db(ws->Native(name));
  sqlite3_stmt* ids = db.Prepare("SELECT id FROM records ORDER BY id");
  sqlite3_stmt* row = db.Prepare("SELECT c1, c2, c3, c4, c5 FROM records WHERE id = ?");
  int64_t sum = 0;
  for (auto _ : state) {
    std::vector<int64_t> list;  // record numbers to ids, as the store needs too
    while (sqlite3_step(ids) == SQLITE_ROW) list.push_back(sqlite3_column_int64(ids, 0));
    sqlite3_reset(ids);
    for (int64_t id : list) {
      sqlite3_bind_int64(row, 1, id);
      if (sqlite3_step(row) == SQLITE_ROW) {
        for (int c = 0; c < 5; ++c) {
          if (c == 3) {
            sum += sqlite3_column_int(row, c) != 0 ? 1 : 0;
          } else {
            const void* p = sqlite3_column_blob(row, c);
            const std::string s(static_cast<const char*>(p),
                                static_cast<size_t>(sqlite3_column_bytes(row, c)));
            sum += static_cast<int64_t>(s.size());
          }
        }
      }
      sqlite3_reset(row);
    }
  }
  sqlite3_finalize(ids);
  sqlite3_finalize(row);
  benchmark::DoNotOptimize(sum);
}

// Finding the last record's model from record 1, the condition comparing in
// the program (the same comparison the floor makes on each row).
void FindStore(benchmark::State& state, Workspace* ws) {
  const std::string name = ws->FreshTable(state.range(0));
  TableStore store;
  (void)store.OpenTable(ws->Text(name), "CPU");
  const std::string target = "m" + std::to_string(state.range(0));
  const std::string model = Gbk("型号");
  for (auto _ : state) {
    (void)store.GoFirst();
    const auto found = store.FindRecord([&] {
      auto v = store.ReadField(model);
      return v.ok() && std::get<std::string>(*v) == target;
    });
    if (!found.ok() || !*found) state.SkipWithError("not found");
  }
}

void FindFloor(benchmark::State& state, Workspace* ws) {
  const std::string name = ws->FreshTable(state.range(0));
  Db db(ws->Native(name));
  sqlite3_stmt* scan = db.Prepare("SELECT id, deleted, c1, c2, c3, c4, c5 FROM records WHERE id >= ? ORDER BY id");
  const std::string target = "m" + std::to_string(state.range(0));
  for (auto _ : state) {
    bool found = false;
    sqlite3_bind_int64(scan, 1, 1);
    while (!found && sqlite3_step(scan) == SQLITE_ROW) {
      const void* p = sqlite3_column_blob(scan, 4);
      found = std::string(static_cast<const char*>(p),
                          static_cast<size_t>(sqlite3_column_bytes(scan, 4))) == target;
    }
    sqlite3_reset(scan);
    if (!found) state.SkipWithError("not found");
  }
  sqlite3_finalize(scan);
}

// Marking the middle record and purging: two durable writes.
void PurgeStore(benchmark::State& state, Workspace* ws) {
  const std::string name = ws->FreshTable(state.range(0));
  TableStore store;
  (void)store.OpenTable(ws->Text(name), "CPU");
  for (auto _ : state) {
    (void)store.GoToRecord(*store.RecordCount() / 2);
    if (!store.DeleteRecord().ok() || !store.PurgeDeleted().ok()) state.SkipWithError("purge");
    state.PauseTiming();  // keep the size
    (void)store.AppendRecord(ProductValues(0));
    state.ResumeTiming();
  }
}

void PurgeFloor(benchmark::State& state, Workspace* ws) {
  const std::string name = ws->FreshTable(state.range(0));
  Db db(ws->Native(name));
  sqlite3_stmt* nth = db.Prepare("SELECT id FROM records ORDER BY id LIMIT 1 OFFSET ?");
  sqlite3_stmt* count = db.Prepare("SELECT count(*) FROM records");
  sqlite3_stmt* mark = db.Prepare("UPDATE records SET deleted = 1 WHERE id = ?");
  sqlite3_stmt* purge = db.Prepare("DELETE FROM records WHERE deleted <> 0");
  for (auto _ : state) {
    sqlite3_step(count);
    const int64_t n = sqlite3_column_int64(count, 0);
    sqlite3_reset(count);
    sqlite3_bind_int64(nth, 1, n / 2 - 1);
    sqlite3_step(nth);
    const int64_t id = sqlite3_column_int64(nth, 0);
    sqlite3_reset(nth);
    db.Exec("BEGIN IMMEDIATE");
    sqlite3_bind_int64(mark, 1, id);
    sqlite3_step(mark);
    sqlite3_reset(mark);
    db.Exec("COMMIT");
    db.Exec("BEGIN IMMEDIATE");
    sqlite3_step(purge);
    sqlite3_reset(purge);
    db.Exec("COMMIT");
    state.PauseTiming();  // keep the size
    db.Exec("INSERT INTO records(deleted, c1, c2, c3, c4, c5) VALUES(0, x'', x'', x'', 0, x'')");
    state.ResumeTiming();
  }
  for (sqlite3_stmt* st : {nth, count, mark, purge}) sqlite3_finalize(st);
}

// Prints each benchmark as usual, then store / floor for every pair.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred || r.run_type != Run::RT_Iteration) continue;
      times_[r.benchmark_name()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    // Synced writes wait on the disk, which other work on the machine slows
    // at random: for them the CPU ratio is the steadier one.
    std::printf("\nstore / floor per iteration:     real    cpu\n");
    for (const auto& [name, store_time] : times_) {
      const auto cut = name.find("Store");
      if (cut == std::string::npos) continue;
      std::string floor_name = name;
      floor_name.replace(cut, 5, "Floor");
      const auto floor = times_.find(floor_name);
      if (floor == times_.end() || floor->second.first <= 0 || floor->second.second <= 0) continue;
      std::printf("  %-28s %6.2fx %6.2fx\n", name.c_str(), store_time.first / floor->second.first,
                  store_time.second / floor->second.second);
    }
  }

 private:
  std::map<std::string, std::pair<double, double>> times_;  // real, cpu
};

}  // namespace
}  // namespace pcshop::tables

int main(int argc, char** argv) {
  using namespace pcshop::tables;
  Workspace ws;
  auto add = [&](const char* name, void (*fn)(benchmark::State&, Workspace*)) {
    return benchmark::RegisterBenchmark(name, fn, &ws)
        ->Arg(1000)
        ->Arg(10000)
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond);
  };
  add("Append/Store", AppendStore)->Iterations(1);
  add("Append/Floor", AppendFloor)->Iterations(1);
  add("Walk/Store", WalkStore);
  add("Walk/Floor", WalkFloor);
  add("Find/Store", FindStore);
  add("Find/Floor", FindFloor);
  add("Purge/Store", PurgeStore)->Unit(benchmark::kMicrosecond);
  add("Purge/Floor", PurgeFloor)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
