#pragma once
// The benchmarks' table work: filling a table file behind the program's
// back (rows written straight into the table store's SQLite file in one
// transaction; through the store every append is its own synced commit), and
// the plain walk over a table that the program's lists are measured against.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "runtime/tables/table_store.h"

struct sqlite3_stmt;

namespace pcshop::bench {

// The fourteen product categories in table order (UTF-8).
inline constexpr const char* kCategories[] = {"CPU",  "散热器", "主板", "内存", "机械盘",
                                              "固态盘", "显卡", "显示器", "机箱", "电源",
                                              "键盘", "鼠标", "音箱", "其它"};

// The UTF-8 text in GBK; "" when GBK cannot hold it.
std::string Gbk(const std::string& utf8);

// One row being written: fields are numbered from 1 in table order.
class RowWriter {
 public:
  explicit RowWriter(sqlite3_stmt* insert) : insert_(insert) {}
  void Text(int field, const std::string& gbk);
  void Int(int field, int32_t value);

 private:
  sqlite3_stmt* insert_;
};

// Appends `count` rows of `fields` fields to the table file at `file`;
// `fill(i, row)` writes row i. False (with a line on standard error naming
// `who`) when the file is not a table of that many fields or a write fails.
bool AppendRows(const std::filesystem::path& file, int fields, int count,
                const std::function<void(int, RowWriter&)>& fill, const char* who);

// 客户<i>: the benchmarks' customer names (GBK).
std::string CustomerName(int i);
// A day as the tables write dates (GBK), e.g. 2026年5月3日.
std::string DateText(std::chrono::sys_days day);
// The last `days` days as the tables write dates, today first.
std::vector<std::string> RecentDates(int days);
// `count` payments into DATA's 收付款.zdb: payment i from CustomerName(i %
// names) on dates[i % dates.size()], one in four a 付款, 200 to 899 yuan.
bool SeedPayments(const std::filesystem::path& data, const std::vector<std::string>& dates,
                  int count, int names, const char* who);

// Reads `fields` (GBK names) of every record of the store's current table,
// in record order; the number of records read.
int ReadEveryRecord(tables::TableStore& store, std::span<const std::string> fields);

}  // namespace pcshop::bench
