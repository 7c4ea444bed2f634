#pragma once
// What the start-up must leave in the data folder: the seventeen table files
// and their field lists, and a way to read a table file's fields and records
// without the program.

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/tables/table_types.h"

namespace pcshop::app::testing {

// A table file by its UTF-8 base name ("CPU", "配置") and its expected fields.
struct ExpectedTable {
  std::string name;
  std::vector<tables::FieldSpec> fields;  // names in GBK
};

// The seventeen tables of the start-up, 配置 last.
std::vector<ExpectedTable> StartupTables();

// The stock tables' eight fields: the product's five, 数量, 金额, 日期.
std::vector<tables::FieldSpec> MovementFields();

// The customer register's nine fields.
std::vector<tables::FieldSpec> CustomerTableFields();

// The fields of the table file at `file`, or an empty list when it is not a
// readable table.
std::vector<tables::FieldSpec> FieldsOf(const std::filesystem::path& file);

// Its record count, or -1 when it is not a readable table.
int RecordCountOf(const std::filesystem::path& file);

// Appends one product record (texts UTF-8) to the table file at `file`.
bool AppendProduct(const std::filesystem::path& file, const std::string& brand, int price);

// Every .zdb file under `folder` with its size and modification time, to tell
// whether anything was written.
std::string Fingerprint(const std::filesystem::path& folder);

std::string Gbk(const std::string& utf8);
// The GBK text as UTF-8, or "<not GBK>" when it is not GBK.
std::string Utf8(const std::string& gbk);
// Each UTF-8 text as GBK, for comparing with what the program showed.
std::vector<std::string> Gbks(const std::vector<std::string>& utf8);

}  // namespace pcshop::app::testing
