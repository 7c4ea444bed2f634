#pragma once
// Derived figures over one table, answered by SQLite in one query instead of
// a record walk: the sum of an integer field grouped by key fields. Stock on
// hand is such a sum; it is never stored a second time.

#include <cstdint>
#include <string>
#include <vector>

namespace pcshop::tables {

// One group: the key fields' values (exact bytes, in the order asked) and the
// sum of the summed field over the group's records.
struct GroupSum {
  std::vector<std::string> keys;
  int64_t sum = 0;

  friend bool operator==(const GroupSum&, const GroupSum&) = default;
};

}  // namespace pcshop::tables
