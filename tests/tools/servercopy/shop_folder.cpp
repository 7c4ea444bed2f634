#include "tests/tools/servercopy/shop_folder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>

#include "runtime/tables/sqlite_handle.h"
#include "runtime/tables/table_format.h"
#include "tests/runtime/tables/table_layouts.h"

namespace pcshop::servercopy::testing {

namespace fs = std::filesystem;
using tables::testing::Gbk;

namespace {

tables::Connection OpenOrCreate(const fs::path& file, int flags) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
  tables::Connection db(raw);
  EXPECT_EQ(rc, SQLITE_OK) << file;
  return db;
}

}  // namespace

void WriteTable(const fs::path& file, const TableContent& content) {
  auto db = OpenOrCreate(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  ASSERT_TRUE(tables::WriteTableSchema(db.get(), content.fields, file).ok()) << file;
  ASSERT_TRUE(tables::Exec(db.get(), "BEGIN", file, "test").ok());
  std::string sql = "INSERT INTO records(id, deleted, " +
                    tables::FieldColumnList(content.fields.size()) + ") VALUES(?, ?";
  for (size_t i = 0; i < content.fields.size(); ++i) sql += ", ?";
  auto insert = tables::Prepare(db.get(), sql + ")", file);
  ASSERT_TRUE(insert.ok());
  for (const CopyRecord& r : content.records) {
    sqlite3_stmt* st = insert->get();
    sqlite3_bind_int64(st, 1, r.id);
    sqlite3_bind_int(st, 2, r.deleted ? 1 : 0);
    for (size_t i = 0; i < r.values.size(); ++i) {
      if (const auto* t = std::get_if<std::string>(&r.values[i])) {
        tables::BindBytes(st, static_cast<int>(i) + 3, *t);
      } else {
        sqlite3_bind_int64(st, static_cast<int>(i) + 3, std::get<int64_t>(r.values[i]));
      }
    }
    ASSERT_EQ(sqlite3_step(st), SQLITE_DONE) << sqlite3_errmsg(db.get());
    sqlite3_reset(st);
  }
  ASSERT_TRUE(tables::Exec(db.get(), "COMMIT", file, "test").ok());
}

TableContent ReadTable(const fs::path& file) {
  TableContent out;
  auto db = OpenOrCreate(file, SQLITE_OPEN_READONLY);
  auto fields = tables::ReadTableSchema(db.get(), file);
  EXPECT_TRUE(fields.ok()) << fields.status().ToString();
  if (!fields.ok()) return out;
  out.fields = *fields;
  auto select = tables::Prepare(
      db.get(), "SELECT * FROM records ORDER BY id", file);
  EXPECT_TRUE(select.ok());
  if (!select.ok()) return out;
  sqlite3_stmt* st = select->get();
  while (sqlite3_step(st) == SQLITE_ROW) {
    CopyRecord r;
    r.id = sqlite3_column_int64(st, 0);
    r.deleted = sqlite3_column_int64(st, 1) != 0;
    for (int c = 2; c < sqlite3_column_count(st); ++c) {
      if (sqlite3_column_type(st, c) == SQLITE_INTEGER) {
        r.values.emplace_back(sqlite3_column_int64(st, c));
      } else {
        r.values.emplace_back(tables::ColumnBytes(st, c));
      }
    }
    out.records.push_back(std::move(r));
  }
  return out;
}

std::vector<std::string> TableFileNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

CopyRecord Product(int64_t id, const std::string& category, const std::string& brand,
                   const std::string& model, int64_t price, const std::string& remark,
                   bool deleted) {
  return {id, deleted, {Gbk(category), Gbk(brand), Gbk(model), price, Gbk(remark)}};
}

CopyRecord Customer(int64_t id, const std::string& name, int64_t receivable, int64_t payable) {
  return {id,
          false,
          {Gbk(name), Gbk("zs"), Gbk("公司"), Gbk("华强电脑城"), Gbk("075588886666"), receivable,
           payable, Gbk("老客户"), Gbk("2026年12月9日")}};
}

CopyRecord Config(int64_t id, const std::string& name, int64_t cpu_price) {
  CopyRecord r{id, false, {}};
  for (const tables::FieldSpec& f : tables::testing::ConfigLayout()) {
    if (f.type_code == tables::kIntegerField) {
      r.values.emplace_back(int64_t{0});
    } else {
      r.values.emplace_back(std::string());
    }
  }
  r.values[0] = Gbk(name);
  r.values[1] = Gbk("2026年12月9日14点7分");
  r.values[2] = Gbk("CPU");
  r.values[3] = Gbk("英特尔");
  r.values[4] = Gbk("酷睿i5-12400F");
  r.values[5] = int64_t{1};
  r.values[6] = cpu_price;
  r.values[7] = cpu_price;
  return r;
}

}  // namespace pcshop::servercopy::testing
