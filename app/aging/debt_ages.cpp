#include "app/aging/debt_ages.h"

#include <algorithm>

namespace pcshop::app {

int AgeBucket(int64_t age) {
  if (age <= 30) return 0;
  if (age <= 60) return 1;
  if (age <= 90) return 2;
  return 3;
}

DebtAges AgeBalance(int64_t balance, std::vector<DayDebt> days, int64_t today) {
  DebtAges ages;
  if (balance <= 0) return ages;
  // Newest first: with the oldest settled first, the balance left is made of
  // the newest debts. A day that left nothing (or more than was due) owes
  // nothing of it; the opening balance and undated sales are the oldest.
  std::sort(days.begin(), days.end(), [](const DayDebt& a, const DayDebt& b) {
    if (!a.day || !b.day) return a.day.has_value() && !b.day.has_value();
    return *a.day > *b.day;
  });
  int64_t left = balance;
  for (const DayDebt& d : days) {
    if (left == 0 || !d.day) break;
    if (d.unpaid <= 0) continue;
    const int64_t part = std::min(left, d.unpaid);
    ages.buckets[static_cast<size_t>(AgeBucket(today - *d.day))] += part;
    ages.oldest_day = *d.day;
    left -= part;
  }
  ages.undated = left;
  return ages;
}

}  // namespace pcshop::app
