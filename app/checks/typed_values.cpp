#include "app/checks/typed_values.h"

#include <array>

#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

constexpr size_t kMostDigits = 9;  // every such number fits 32 bits

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return !text.empty();
}

bool LeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int64_t DaysIn(int64_t year, int64_t month) {
  static constexpr std::array<int64_t, 12> kDays = {31, 28, 31, 30, 31, 30,
                                                    31, 31, 30, 31, 30, 31};
  return month == 2 && LeapYear(year) ? 29 : kDays[static_cast<size_t>(month - 1)];
}

// Reads the digits at `pos` (at most `most` of them, at least one).
std::optional<int64_t> Digits(std::string_view text, size_t& pos, size_t most) {
  const size_t start = pos;
  int64_t v = 0;
  while (pos < text.size() && IsDigit(text[pos]) && pos - start < most) {
    v = v * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start || (pos < text.size() && IsDigit(text[pos]))) return std::nullopt;
  return v;
}

bool Skip(std::string_view text, size_t& pos, std::string_view what) {
  if (text.substr(pos, what.size()) != what) return false;
  pos += what.size();
  return true;
}

}  // namespace

std::optional<int64_t> WholeNumber(std::string_view text) {
  size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++pos;
  if (pos == text.size() || text.size() - pos > kMostDigits) return std::nullopt;
  int64_t v = 0;
  for (; pos < text.size(); ++pos) {
    if (!IsDigit(text[pos])) return std::nullopt;
    v = v * 10 + (text[pos] - '0');
  }
  return negative ? -v : v;
}

AmountReading ReadAmount(std::string_view text) {
  const auto number = WholeNumber(text);
  if (!number) {
    // Digits beyond what the tables hold are a number all the same.
    const std::string_view digits = !text.empty() && text[0] == '-' ? text.substr(1) : text;
    if (!AllDigits(digits)) return {0, AmountProblem::kNotWhole};
    return {0, text[0] == '-' ? AmountProblem::kNotPositive : AmountProblem::kTooLarge};
  }
  if (*number <= 0) return {0, AmountProblem::kNotPositive};
  return {static_cast<int32_t>(*number), AmountProblem::kNone};
}

std::optional<CalendarDate> ReadDate(calls::Calls& rt, std::string_view text) {
  const std::string_view year_mark = rt.ConstText(t::kYear);
  const std::string_view month_mark = rt.ConstText(t::kMonth);
  const std::string_view day_mark = rt.ConstText(t::kDay);
  size_t pos = 0;
  const auto year = Digits(text, pos, 4);
  if (!year) return std::nullopt;
  // Either 年 月 日, or one ASCII separator used twice.
  std::string_view second_mark, end_mark;
  if (Skip(text, pos, year_mark)) {
    second_mark = month_mark;
    end_mark = day_mark;
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
  if (*year < 1900 || *month < 1 || *month > 12 || *day < 1 || *day > DaysIn(*year, *month)) {
    return std::nullopt;
  }
  return CalendarDate{static_cast<int32_t>(*year), static_cast<int32_t>(*month),
                      static_cast<int32_t>(*day)};
}

std::optional<std::string> CanonicalDate(calls::Calls& rt, std::string_view text) {
  const std::optional<CalendarDate> date = ReadDate(rt, text);
  if (!date) return std::nullopt;
  std::string out = std::to_string(date->year);
  out.append(rt.ConstText(t::kYear)).append(std::to_string(date->month));
  out.append(rt.ConstText(t::kMonth)).append(std::to_string(date->day));
  return out.append(rt.ConstText(t::kDay));
}

std::string Today(calls::Calls& rt) {
  const double now = rt.Now();
  std::string out = std::to_string(rt.GetYear(now));
  out.append(rt.ConstText(t::kYear)).append(std::to_string(rt.GetMonth(now)));
  out.append(rt.ConstText(t::kMonth)).append(std::to_string(rt.GetDay(now)));
  return out.append(rt.ConstText(t::kDay));
}

}  // namespace pcshop::app
