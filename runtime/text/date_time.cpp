#include "runtime/text/date_time.h"

#include <cassert>
#include <cmath>
#include <ctime>
#include <string_view>

namespace pcshop::text {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Day numbers counted from 1970-01-01 in the proleptic Gregorian calendar
// (H. Hinnant's civil-date algorithms).
constexpr int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, LocalDateTime& out) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  out.year = static_cast<int32_t>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  out.month = static_cast<int32_t>(m);
  out.day = static_cast<int32_t>(d);
}

bool IsLeapYear(int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int32_t DaysInMonth(int32_t y, int32_t m) {
  constexpr int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

constexpr int64_t kEpochDay = DaysFromCivil(1899, 12, 30);
constexpr int64_t kFirstDay = DaysFromCivil(100, 1, 1) - kEpochDay;
constexpr int64_t kLastDay = DaysFromCivil(9999, 12, 31) - kEpochDay;

// GBK bytes of 年 月 日 时 分 秒.
constexpr std::string_view kYearMark = "\xC4\xEA";
constexpr std::string_view kMonthMark = "\xD4\xC2";
constexpr std::string_view kDayMark = "\xC8\xD5";
constexpr std::string_view kHourMark = "\xCA\xB1";
constexpr std::string_view kMinuteMark = "\xB7\xD6";
constexpr std::string_view kSecondMark = "\xC3\xEB";

std::string TwoDigits(int32_t v) {
  return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

}  // namespace

Result<LocalDateTime> ToLocalDateTime(double value) {
  // Checked before any conversion to an integer, which would be undefined for
  // NaN or huge values. The first day reaches down to just above
  // kFirstDay - 1, since a negative value's fraction is its time of day.
  if (!std::isfinite(value) || value <= static_cast<double>(kFirstDay - 1) ||
      value >= static_cast<double>(kLastDay + 1)) {
    return Status::InvalidArgument("date-time value is outside the years 100 to 9999");
  }
  const double whole = std::trunc(value);
  int64_t day = static_cast<int64_t>(whole);
  int64_t seconds = std::llround(std::fabs(value - whole) * kSecondsPerDay);
  if (seconds == kSecondsPerDay) {  // rounded up to the next midnight
    ++day;
    seconds = 0;
  }
  if (day > kLastDay) {
    return Status::InvalidArgument("date-time value is outside the years 100 to 9999");
  }
  LocalDateTime parts;
  CivilFromDays(day + kEpochDay, parts);
  parts.hour = static_cast<int32_t>(seconds / 3600);
  parts.minute = static_cast<int32_t>(seconds / 60 % 60);
  parts.second = static_cast<int32_t>(seconds % 60);
  return parts;
}

Result<double> FromLocalDateTime(const LocalDateTime& p) {
  if (p.year < 100 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
      p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
      p.minute > 59 || p.second < 0 || p.second > 59) {
    return Status::InvalidArgument("not a valid date and time: " + std::to_string(p.year) +
                                   "-" + std::to_string(p.month) + "-" +
                                   std::to_string(p.day) + " " + std::to_string(p.hour) +
                                   ":" + std::to_string(p.minute) + ":" +
                                   std::to_string(p.second));
  }
  const int64_t day = DaysFromCivil(p.year, p.month, p.day) - kEpochDay;
  const double time = static_cast<double>(p.hour * 3600 + p.minute * 60 + p.second) /
                      static_cast<double>(kSecondsPerDay);
  const auto whole = static_cast<double>(day);
  return day >= 0 ? whole + time : whole - time;
}

double Now() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  if (localtime_r(&now, &tm) == nullptr && gmtime_r(&now, &tm) == nullptr) return 0;
  LocalDateTime parts{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                      tm.tm_hour,        tm.tm_min,     tm.tm_sec};
  if (parts.second > 59) parts.second = 59;  // a leap second
  auto value = FromLocalDateTime(parts);
  return value.ok() ? *value : 0;
}

namespace {

// One part of a date value; 0 for a value that is not a date.
int32_t Part(double value, int32_t LocalDateTime::*part) {
  auto p = ToLocalDateTime(value);
  return p.ok() ? (*p).*part : 0;
}

}  // namespace

int32_t GetYear(double value) { return Part(value, &LocalDateTime::year); }
int32_t GetMonth(double value) { return Part(value, &LocalDateTime::month); }
int32_t GetDay(double value) { return Part(value, &LocalDateTime::day); }
int32_t GetHour(double value) { return Part(value, &LocalDateTime::hour); }
int32_t GetMinute(double value) { return Part(value, &LocalDateTime::minute); }
int32_t GetSecond(double value) { return Part(value, &LocalDateTime::second); }

std::string DateToText(double value, int32_t form) {
  auto p = ToLocalDateTime(value);
  if (!p.ok()) return {};
  const auto kind = static_cast<DateTextForm>(form);
  std::string text;
  if (kind != DateTextForm::kTime) {
    text += std::to_string(p->year);
    text += kYearMark;
    text += std::to_string(p->month);
    text += kMonthMark;
    text += std::to_string(p->day);
    text += kDayMark;
  }
  if (kind != DateTextForm::kDate) {
    text += std::to_string(p->hour);
    text += kHourMark;
    text += TwoDigits(p->minute);
    text += kMinuteMark;
    text += TwoDigits(p->second);
    text += kSecondMark;
  }
  // At most four year digits, five two-digit numbers and six two-byte marks:
  // 26 bytes.
  assert(text.size() <= kMaxDateTextBytes);
  return text;
}

}  // namespace pcshop::text
