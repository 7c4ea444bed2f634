#pragma once
// What the start-up must leave in the data folder: the twenty table files
// and their field lists, and a way to read a table's fields and records
// without the program, wherever the program under test keeps its tables.

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/tables/table_store.h"
#include "runtime/tables/table_types.h"

namespace pcshop::app::testing {

// Names the server the application's tests put the program's tables on
// (a libpq connection string); unset, they are files.
inline constexpr char kTablesServerVariable[] = "PCSHOP_APP_TABLES_SERVER";

// The tables the program under test uses: table files, or the server named
// by kTablesServerVariable, with the program folder the test binary's own.
Result<std::unique_ptr<tables::TableBackend>> TestTablesBackend();

// A table store on them; with the server out of reach every table is refused
// (never files in its place: the test would read tables the program does not
// use).
class TestStore : public tables::TableStore {
 public:
  TestStore();
};

// A table by its file's UTF-8 base name ("CPU", "配置") and its expected fields.
struct ExpectedTable {
  std::string name;
  std::vector<tables::FieldSpec> fields;  // names in GBK
};

// The twenty tables of the start-up besides the import log, 配置 last.
std::vector<ExpectedTable> StartupTables();

// The stock tables' eight fields of before: the product's five, 数量, 金额,
// 日期.
std::vector<tables::FieldSpec> EightMovementFields();
// Today's: the eight, then 客户, 实收, 成本 for a sale (出库) or 供应商, 实付.
std::vector<tables::FieldSpec> MovementFields(bool sale);

// The payments table's six fields: 日期, 姓名, 类型, 金额, 方式, 备注.
std::vector<tables::FieldSpec> PaymentTableFields();

// One record of the payments table, texts UTF-8 ("?" for a field that is not
// text, amount -1 for one that is not a number).
struct PaymentRow {
  std::string date, name, kind;
  int64_t amount = 0;
  std::string method, remark;
  bool operator==(const PaymentRow&) const = default;
};
std::ostream& operator<<(std::ostream& os, const PaymentRow& p);

// The payments of 收付款.zdb in `data` in record order; none when it cannot
// be read.
std::vector<PaymentRow> PaymentsIn(const std::filesystem::path& data);

// The shop's own details: 店名, 地址, 电话.
std::vector<tables::FieldSpec> ShopTableFields();

// The customer register's nine fields.
std::vector<tables::FieldSpec> CustomerTableFields();

// The fields of the table file at `file`, or an empty list when it is not a
// readable table.
std::vector<tables::FieldSpec> FieldsOf(const std::filesystem::path& file);

// Its record count, or -1 when it is not a readable table.
int RecordCountOf(const std::filesystem::path& file);

// Appends one product record (texts UTF-8) to the table file at `file`.
bool AppendProduct(const std::filesystem::path& file, const std::string& brand, int price);
// The same with every field given.
bool AppendProduct(const std::filesystem::path& file, const std::string& kind,
                   const std::string& brand, const std::string& model, int price,
                   const std::string& remark);

// Appends `values` (texts GBK) as one record to the existing table file at
// `file`.
bool AppendRecordTo(const std::filesystem::path& file,
                    const std::vector<tables::FieldValue>& values);

// Appends one register record (texts UTF-8), opening balances 0, to the
// table file at `file`, which is made with the register's layout when missing.
bool AppendCustomer(const std::filesystem::path& file, const std::string& name,
                    const std::string& pinyin, const std::string& phone);

// Every file under `folder` with its size and modification time, to tell
// whether anything was written; on the server also every record of the
// start-up's tables and the customer register there.
std::string Fingerprint(const std::filesystem::path& folder);

std::string Gbk(const std::string& utf8);
// The GBK text as UTF-8, or "<not GBK>" when it is not GBK.
std::string Utf8(const std::string& gbk);
// Each UTF-8 text as GBK, for comparing with what the program showed.
std::vector<std::string> Gbks(const std::vector<std::string>& utf8);

}  // namespace pcshop::app::testing
