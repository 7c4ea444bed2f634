#pragma once
// Stored dates as day numbers, so that a table query can keep the records of
// a range of days. Dates are kept as GBK text ("2024年5月3日", also written
// "2024-5-3", "2024/5/3", "2024.5.3"), which neither sorts nor subtracts.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pcshop::tables {

// Days since 1970-01-01 of a stored date; nothing for a text that is no
// real date (year before 1900, month 13, 30 February, trailing bytes).
std::optional<int64_t> StoredDayNumber(std::string_view gbk);

// The SQL function name both backends use in a ranged query.
inline constexpr std::string_view kDayFunction = "pcshop_day";

// Registers pcshop_day(blob) on a connection: the day number or NULL.
int RegisterDayFunction(sqlite3* db);

// The same day number worked out by the server in SQL over the bytea column
// `column` of `table`: `from` stands for the table in a FROM clause, its
// records with the day beside them as `day` (NULL for no date). No byte
// sequence can make it fail.
struct ServerDay {
  std::string from;
  std::string day;
};
ServerDay ServerDayExpression(std::string_view table, std::string_view column);

// The same worked out by the server's function pcshop_day(bytea), made with
// the server's tables. It is IMMUTABLE, so a table can keep an index of the
// day of a date field: a range of days is then read through the index
// instead of working out every record's day on each query.
std::string ServerDayFunctionSql();
// The index of pcshop_day over `column` of the records table `table`.
std::string ServerDayIndexName(std::string_view table, std::string_view column);

}  // namespace pcshop::tables
