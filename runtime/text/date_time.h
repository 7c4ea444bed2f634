#pragma once
// Date-time values as the application holds them: a double counting days
// since 1899-12-30 00:00 local time, the fraction being the time of day. Days
// before that epoch are negative while the time of day still counts forward
// from midnight: -1.25 is 1899-12-29 06:00. Values are resolved to the nearest
// second. The supported range is the years 100 to 9999; NaN, the infinities
// and values outside that range are not dates: their parts read 0 and their
// text is empty.
//
// This file is the only place that asks the operating system for the time.

#include <cstdint>
#include <string>

#include "base/status.h"

namespace pcshop::text {

struct LocalDateTime {
  int32_t year = 1899;
  int32_t month = 12;   // 1..12
  int32_t day = 30;     // 1..31
  int32_t hour = 0;     // 0..23
  int32_t minute = 0;   // 0..59
  int32_t second = 0;   // 0..59
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// Breaks a value down; InvalidArgument when it is not a date of the supported
// range.
[[nodiscard]] Result<LocalDateTime> ToLocalDateTime(double value);

// Builds a value; InvalidArgument when a part is out of its range (month 13,
// 30 February, second 60, year 10000, ...).
[[nodiscard]] Result<double> FromLocalDateTime(const LocalDateTime& parts);

// The current local date and time, to the second.
double Now();

int32_t GetYear(double value);
int32_t GetMonth(double value);
int32_t GetDay(double value);
int32_t GetHour(double value);
int32_t GetMinute(double value);
int32_t GetSecond(double value);

enum class DateTextForm : int32_t {
  kDateAndTime = 1,  // 2024年5月3日14时07分09秒
  kDate = 2,         // 2024年5月3日
  kTime = 3,         // 14时07分09秒
};

// The longest text DateToText returns; callers store it in fields this wide.
inline constexpr size_t kMaxDateTextBytes = 30;

// GBK text of a value. Year, month, day and hour are written without leading
// zeros, minute and second with two digits, as a clock shows them. An unknown
// form number gives the date and time; a value that is not a date gives the
// empty text.
std::string DateToText(double value, int32_t form);

}  // namespace pcshop::text
