#include "runtime/tables/stored_day.h"

#include <chrono>

namespace pcshop::tables {
namespace {

// 年, 月, 日 in GBK.
constexpr std::string_view kYearMark = "\xC4\xEA";
constexpr std::string_view kMonthMark = "\xD4\xC2";
constexpr std::string_view kDayMark = "\xC8\xD5";

std::optional<int64_t> Digits(std::string_view text, size_t& pos, size_t most) {
  const size_t start = pos;
  int64_t v = 0;
  while (pos < text.size() && pos - start < most && text[pos] >= '0' && text[pos] <= '9') {
    v = v * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return v;
}

bool Skip(std::string_view text, size_t& pos, std::string_view mark) {
  if (mark.empty() || text.substr(pos, mark.size()) != mark) return false;
  pos += mark.size();
  return true;
}

void DayFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_BLOB && sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
    sqlite3_result_null(ctx);
    return;
  }
  const void* bytes = sqlite3_value_blob(argv[0]);
  const int size = sqlite3_value_bytes(argv[0]);
  const auto day = StoredDayNumber(
      std::string_view(static_cast<const char*>(bytes), bytes ? static_cast<size_t>(size) : 0));
  if (day) {
    sqlite3_result_int64(ctx, *day);
  } else {
    sqlite3_result_null(ctx);
  }
}

}  // namespace

std::optional<int64_t> StoredDayNumber(std::string_view text) {
  size_t pos = 0;
  const auto year = Digits(text, pos, 4);
  if (!year) return std::nullopt;
  std::string_view second_mark, end_mark;
  if (Skip(text, pos, kYearMark)) {
    second_mark = kMonthMark;
    end_mark = kDayMark;
  } else if (pos < text.size() && (text[pos] == '-' || text[pos] == '/' || text[pos] == '.')) {
    second_mark = text.substr(pos, 1);
    ++pos;
  } else {
    return std::nullopt;
  }
  const auto month = Digits(text, pos, 2);
  if (!month || !Skip(text, pos, second_mark)) return std::nullopt;
  const auto day = Digits(text, pos, 2);
  if (!day || (!end_mark.empty() && !Skip(text, pos, end_mark)) || pos != text.size()) {
    return std::nullopt;
  }
  namespace c = std::chrono;
  const c::year_month_day date{c::year{static_cast<int>(*year)},
                               c::month{static_cast<unsigned>(*month)},
                               c::day{static_cast<unsigned>(*day)}};
  if (*year < 1900 || !date.ok()) return std::nullopt;
  return c::sys_days{date}.time_since_epoch().count();
}

int RegisterDayFunction(sqlite3* db) {
  return sqlite3_create_function_v2(db, std::string(kDayFunction).c_str(), 1,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                    DayFunction, nullptr, nullptr, nullptr);
}

ServerDay ServerDayExpression(std::string_view column) {
  // encode(.., 'escape') writes each byte above 0x7F as \ooo: 年 = \304\352,
  // 月 = \324\302, 日 = \310\325. The CASE keeps make_date from seeing a
  // month or day out of range.
  ServerDay out;
  out.lateral = "LATERAL (SELECT regexp_match(encode(" + std::string(column) +
                ", 'escape'), '^([0-9]{1,4})(?:\\\\304\\\\352([0-9]{1,2})\\\\324\\\\302"
                "([0-9]{1,2})\\\\310\\\\325|([-/.])([0-9]{1,2})\\4([0-9]{1,2}))$') AS m) d";
  const std::string y = "(d.m[1])::int";
  const std::string mo = "(coalesce(d.m[2], d.m[5]))::int";
  const std::string dd = "(coalesce(d.m[3], d.m[6]))::int";
  out.day = "CASE WHEN d.m IS NULL OR " + y + " < 1900 OR " + mo + " NOT BETWEEN 1 AND 12 OR " +
            dd + " < 1 THEN NULL WHEN " + dd + " > extract(day from make_date(" + y + ", " + mo +
            ", 1) + interval '1 month - 1 day') THEN NULL ELSE make_date(" + y + ", " + mo + ", " +
            dd + ") - date '1970-01-01' END";
  return out;
}

}  // namespace pcshop::tables
