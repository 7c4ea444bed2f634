#include "bench/support/table_seed.h"

#include <sqlite3.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>

#include "runtime/text/gbk_codec.h"

namespace pcshop::bench {

std::string Gbk(const std::string& utf8) {
  auto gbk = text::Utf8ToGbk(utf8);
  return gbk.ok() ? *gbk : std::string();
}

void RowWriter::Text(int field, const std::string& gbk) {
  // Texts are blobs in the table files: GBK is never taken for UTF-8.
  sqlite3_bind_blob(insert_, field, gbk.data(), static_cast<int>(gbk.size()), SQLITE_TRANSIENT);
}

void RowWriter::Int(int field, int32_t value) { sqlite3_bind_int(insert_, field, value); }

bool AppendRows(const std::filesystem::path& file, int fields, int count,
                const std::function<void(int, RowWriter&)>& fill, const char* who) {
  std::string columns = "deleted";
  std::string values = "0";
  for (int f = 1; f <= fields; ++f) {
    columns += ", c" + std::to_string(f);
    values += ", ?";
  }
  const std::string sql = "INSERT INTO records(" + columns + ") VALUES (" + values + ")";
  sqlite3* db = nullptr;
  bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
  sqlite3_stmt* insert = nullptr;
  ok = ok && sqlite3_busy_timeout(db, 5000) == SQLITE_OK &&
       sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK &&
       sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr) == SQLITE_OK;
  RowWriter row(insert);
  for (int i = 0; ok && i < count; ++i) {
    fill(i, row);
    ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
  }
  sqlite3_finalize(insert);
  ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
  if (!ok) std::fprintf(stderr, "%s: %s\n", who, sqlite3_errmsg(db));
  sqlite3_close(db);
  return ok;
}

std::string CustomerName(int i) { return Gbk("客户") + std::to_string(i); }

std::string DateText(std::chrono::sys_days day) {
  const std::chrono::year_month_day d{day};
  return Gbk(std::to_string(static_cast<int>(d.year())) + "年" +
             std::to_string(static_cast<unsigned>(d.month())) + "月" +
             std::to_string(static_cast<unsigned>(d.day())) + "日");
}

std::vector<std::string> RecentDates(int days) {
  namespace c = std::chrono;
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  const c::sys_days today = c::year{tm.tm_year + 1900} / (tm.tm_mon + 1) / tm.tm_mday;
  std::vector<std::string> dates;
  for (int d = 0; d < days; ++d) dates.push_back(DateText(today - c::days{d}));
  return dates;
}

bool SeedPayments(const std::filesystem::path& data, const std::vector<std::string>& dates,
                  int count, int names, const char* who) {
  const std::string received = Gbk("收款");
  const std::string paid = Gbk("付款");
  const std::string cash = Gbk("现金");
  return AppendRows(
      data / "收付款.zdb", 6, count,
      [&](int i, RowWriter& row) {
        row.Text(1, dates[static_cast<size_t>(i) % dates.size()]);
        row.Text(2, CustomerName(i % names));
        row.Text(3, i % 4 == 0 ? paid : received);
        row.Int(4, 200 + i % 700);
        row.Text(5, cash);
        row.Text(6, std::string());
      },
      who);
}

int ReadEveryRecord(tables::TableStore& store, std::span<const std::string> fields) {
  int rows = 0;
  auto count = store.RecordCount();
  for (int32_t n = 1; count.ok() && n <= *count; ++n) {
    (void)store.GoToRecord(n);
    for (const std::string& f : fields) benchmark::DoNotOptimize(store.ReadField(f));
    ++rows;
  }
  return rows;
}

}  // namespace pcshop::bench
