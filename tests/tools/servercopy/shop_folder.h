#pragma once
// Table files for the copy tool's tests, written and read straight through
// SQLite (not through the tool), and the shop data they hold.

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/tables/table_types.h"
#include "tools/servercopy/copy_record.h"

namespace pcshop::servercopy::testing {

struct TableContent {
  std::vector<tables::FieldSpec> fields;
  std::vector<CopyRecord> records;
  friend bool operator==(const TableContent&, const TableContent&) = default;
};

// A new table file at `file` holding `content` with its ids and marks.
void WriteTable(const std::filesystem::path& file, const TableContent& content);

// Everything a table file holds, in id order.
TableContent ReadTable(const std::filesystem::path& file);

// Every table file of a folder by file name (UTF-8).
std::vector<std::string> TableFileNames(const std::filesystem::path& folder);

// A product of a category table: 品名, 品牌, 型号, 价格, 备注 (UTF-8 texts).
CopyRecord Product(int64_t id, const std::string& category, const std::string& brand,
                   const std::string& model, int64_t price, const std::string& remark = "",
                   bool deleted = false);
// A customer of 客户信息, the nine fields.
CopyRecord Customer(int64_t id, const std::string& name, int64_t receivable, int64_t payable);
// A saved configuration of 配置: its name, a time stamp, the CPU row filled.
CopyRecord Config(int64_t id, const std::string& name, int64_t cpu_price);

}  // namespace pcshop::servercopy::testing
