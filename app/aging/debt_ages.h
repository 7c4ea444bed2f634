#pragma once
// How old a balance is. Payments settle the oldest debt first (the opening
// balance, then sales oldest first), so what is still owed is the newest
// unpaid sales; each lands in a bucket by its age in days. Pure arithmetic,
// no runtime.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace pcshop::app {

// The age buckets: 0-30, 31-60, 61-90 and over 90 days.
inline constexpr int kAgeBuckets = 4;

// What one day's sales left unpaid; `day` is a day number, or nothing when
// the date cannot be read.
struct DayDebt {
  std::optional<int64_t> day;
  int64_t unpaid = 0;
};

struct DebtAges {
  // The part of the balance still owed from the opening balance and from
  // sales without a readable date: no age is known for it.
  int64_t undated = 0;
  std::array<int64_t, kAgeBuckets> buckets = {};
  // The day of the oldest sale still owed in part; nothing when only the
  // undated part (or nothing) is owed.
  std::optional<int64_t> oldest_day;
};

// The bucket of a debt `age` days old; a date after today counts as today.
int AgeBucket(int64_t age);

// Splits `balance` (the opening balance plus `days`' unpaid amounts minus
// every payment) by age on day `today`. A balance of 0 or below owes
// nothing: all empty.
DebtAges AgeBalance(int64_t balance, std::vector<DayDebt> days, int64_t today);

}  // namespace pcshop::app
