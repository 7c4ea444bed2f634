#pragma once
// A date as the shop writes it: "2024年5月3日" (the marks given by the
// caller, in its own encoding), or "2024-5-3", "2024/05/03", "2024.5.3" with
// one separator used twice. The application reads what the user types with
// it and the table store what the tables hold, so both take the same dates.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pcshop {

struct CalendarDay {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
};

namespace calendar_detail {

// The digits at `pos`, at least one and at most `most`.
inline std::optional<int32_t> Digits(std::string_view text, size_t& pos, size_t most) {
  const size_t start = pos;
  int32_t v = 0;
  while (pos < text.size() && pos - start < most && text[pos] >= '0' && text[pos] <= '9') {
    v = v * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return v;
}

inline bool Skip(std::string_view text, size_t& pos, std::string_view mark) {
  if (mark.empty() || text.substr(pos, mark.size()) != mark) return false;
  pos += mark.size();
  return true;
}

}  // namespace calendar_detail

// The day `text` names; nothing for anything else, and for a day that does
// not exist (30 February) or lies before 1900.
inline std::optional<CalendarDay> ReadCalendarText(std::string_view text,
                                                   std::string_view year_mark,
                                                   std::string_view month_mark,
                                                   std::string_view day_mark) {
  using calendar_detail::Digits;
  using calendar_detail::Skip;
  size_t pos = 0;
  const auto year = Digits(text, pos, 4);
  if (!year) return std::nullopt;
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
  namespace c = std::chrono;
  const c::year_month_day date{c::year{*year}, c::month{static_cast<unsigned>(*month)},
                               c::day{static_cast<unsigned>(*day)}};
  if (*year < 1900 || !date.ok()) return std::nullopt;
  return CalendarDay{*year, *month, *day};
}

}  // namespace pcshop
