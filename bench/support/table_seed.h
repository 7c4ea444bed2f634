#pragma once
// Filling a table file behind the program's back for the benchmarks: rows
// written straight into the table store's SQLite file in one transaction
// (through the store, every append is its own synced commit).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

struct sqlite3_stmt;

namespace pcshop::bench {

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

}  // namespace pcshop::bench
