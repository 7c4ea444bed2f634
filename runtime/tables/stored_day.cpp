#include "runtime/tables/stored_day.h"

#include <chrono>

#include "base/calendar_text.h"

namespace pcshop::tables {
namespace {

// 年, 月, 日 in GBK.
constexpr std::string_view kYearMark = "\xC4\xEA";
constexpr std::string_view kMonthMark = "\xD4\xC2";
constexpr std::string_view kDayMark = "\xC8\xD5";

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
  const std::optional<CalendarDay> day = ReadCalendarText(text, kYearMark, kMonthMark, kDayMark);
  if (!day) return std::nullopt;
  namespace c = std::chrono;
  const c::year_month_day date{c::year{day->year}, c::month{static_cast<unsigned>(day->month)},
                               c::day{static_cast<unsigned>(day->day)}};
  return c::sys_days{date}.time_since_epoch().count();
}

int RegisterDayFunction(sqlite3* db) {
  return sqlite3_create_function_v2(db, std::string(kDayFunction).c_str(), 1,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                    DayFunction, nullptr, nullptr, nullptr);
}

ServerDay ServerDayExpression(std::string_view table, std::string_view column) {
  // encode(.., 'escape') writes each byte above 0x7F as \ooo: 年 = \304\352,
  // 月 = \324\302, 日 = \310\325. The marks become '-', the parts are split
  // off and the text must be rebuilt from them in one of the four forms.
  // Plain string functions and integer arithmetic: a regular expression or
  // make_date over every record is many times slower. OFFSET 0 keeps the
  // planner from pasting each part's expression into every use of it.
  const std::string e = "encode(r." + std::string(column) + ", 'escape')";
  const std::string t = "translate(replace(replace(replace(" + e +
                        ", '\\304\\352', '-'), '\\324\\302', '-'), '\\310\\325', ''), '/.', '--')";
  const std::string parts = "SELECT r.*, " + e + " AS pcshop_e, split_part(" + t +
                            ", '-', 1) AS pcshop_y, split_part(" + t +
                            ", '-', 2) AS pcshop_m, split_part(" + t +
                            ", '-', 3) AS pcshop_d, translate(" + t +
                            ", '0123456789', '') AS pcshop_s FROM " + std::string(table) +
                            " r OFFSET 0";
  const std::string ok =
      "(q.pcshop_s = '--' AND length(q.pcshop_y) BETWEEN 1 AND 4 AND length(q.pcshop_m) BETWEEN 1 "
      "AND 2 AND length(q.pcshop_d) BETWEEN 1 AND 2 AND q.pcshop_e IN (q.pcshop_y || "
      "'\\304\\352' || q.pcshop_m || '\\324\\302' || q.pcshop_d || '\\310\\325', q.pcshop_y || '-' "
      "|| q.pcshop_m || '-' || q.pcshop_d, q.pcshop_y || '/' || q.pcshop_m || '/' || q.pcshop_d, "
      "q.pcshop_y || '.' || q.pcshop_m || '.' || q.pcshop_d))";
  const std::string numbers = "SELECT q.*, CASE WHEN " + ok + " THEN q.pcshop_y::int END AS pcshop_yi, CASE WHEN " +
                              ok + " THEN q.pcshop_m::int END AS pcshop_mi, CASE WHEN " + ok +
                              " THEN q.pcshop_d::int END AS pcshop_di FROM (" + parts +
                              ") q OFFSET 0";
  // Days from the civil date (March-based years), valid dates only.
  const std::string y = "(v.pcshop_yi - (v.pcshop_mi <= 2)::int)";
  const std::string day =
      "CASE WHEN v.pcshop_yi >= 1900 AND v.pcshop_di >= 1 AND v.pcshop_di <= CASE WHEN "
      "v.pcshop_mi IN (1, 3, 5, 7, 8, 10, 12) THEN 31 WHEN v.pcshop_mi IN (4, 6, 9, 11) THEN 30 "
      "WHEN v.pcshop_mi = 2 THEN 28 + (v.pcshop_yi % 4 = 0 AND (v.pcshop_yi % 100 <> 0 OR "
      "v.pcshop_yi % 400 = 0))::int ELSE 0 END THEN " +
      y + " / 400 * 146097 + (" + y + " % 400) * 365 + (" + y + " % 400) / 4 - (" + y +
      " % 400) / 100 + (153 * ((v.pcshop_mi + 9) % 12) + 2) / 5 + v.pcshop_di - 1 - 719468 END";
  ServerDay out;
  out.from = "(SELECT v.*, " + day + " AS pcshop_day FROM (" + numbers + ") v) w";
  out.day = "w.pcshop_day";
  return out;
}

std::string ServerDayFunctionSql() {
  // The rules of ServerDayExpression, step by step: PL/pgSQL works out the
  // day of 60,000 records in a quarter of a second, a SQL function (which an
  // index cannot inline) takes five times as long.
  return "CREATE OR REPLACE FUNCTION " + std::string(kDayFunction) +
         "(b bytea) RETURNS integer LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $pcshop$\n"
         "DECLARE\n"
         "  e text := encode(b, 'escape');\n"
         "  t text := translate(replace(replace(replace(e, '\\304\\352', '-'), '\\324\\302', '-'),"
         " '\\310\\325', ''), '/.', '--');\n"
         "  ys text; ms text; ds text; y integer; m integer; d integer; n integer;\n"
         "BEGIN\n"
         "  IF translate(t, '0123456789', '') <> '--' THEN RETURN NULL; END IF;\n"
         "  ys := split_part(t, '-', 1); ms := split_part(t, '-', 2);"
         " ds := split_part(t, '-', 3);\n"
         "  IF length(ys) NOT BETWEEN 1 AND 4 OR length(ms) NOT BETWEEN 1 AND 2"
         " OR length(ds) NOT BETWEEN 1 AND 2 OR e NOT IN (ys || '\\304\\352' || ms || '\\324\\302'"
         " || ds || '\\310\\325', ys || '-' || ms || '-' || ds, ys || '/' || ms || '/' || ds,"
         " ys || '.' || ms || '.' || ds) THEN\n"
         "    RETURN NULL;\n"
         "  END IF;\n"
         "  y := ys::integer; m := ms::integer; d := ds::integer;\n"
         "  n := CASE WHEN m IN (1, 3, 5, 7, 8, 10, 12) THEN 31 WHEN m IN (4, 6, 9, 11) THEN 30"
         " WHEN m = 2 THEN 28 + (y % 4 = 0 AND (y % 100 <> 0 OR y % 400 = 0))::integer"
         " ELSE 0 END;\n"
         "  IF y < 1900 OR d < 1 OR d > n THEN RETURN NULL; END IF;\n"
         "  y := y - (m <= 2)::integer;\n"
         "  RETURN y / 400 * 146097 + (y % 400) * 365 + (y % 400) / 4 - (y % 400) / 100"
         " + (153 * ((m + 9) % 12) + 2) / 5 + d - 1 - 719468;\n"
         "END\n"
         "$pcshop$";
}

std::string ServerDayIndexName(std::string_view table, std::string_view column) {
  return std::string(table) + "_day_" + std::string(column);
}

}  // namespace pcshop::tables
