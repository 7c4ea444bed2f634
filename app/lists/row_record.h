#pragma once
// Which record a picked list row stands for when rows may look alike. A list
// that shows records of one table in record order (all of them or those of
// one kind) holds the n-th row equal to the picked one where the table holds
// the n-th equal record; so the row's position among its look-alikes finds
// its record, and a record changed meanwhile is not found.

#include <cstdint>

#include "image/calls/calls.h"

namespace pcshop::app {

// The record number, in the current table, of the record that list row
// `row` shows; -1 when the table no longer holds it. `row_at(r)` reads row r
// of the list, `record()` the record at the pointer, as values that compare.
template <typename RowAt, typename Record>
int32_t RecordOfRow(calls::Calls& rt, int32_t row, RowAt row_at, Record record) {
  const auto picked = row_at(row);
  int32_t occurrence = 0;
  for (int32_t r = 0; r < row; ++r) {
    if (row_at(r) == picked) ++occurrence;
  }
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    if (!rt.GoToRecord(n) || record() != picked) continue;
    if (occurrence-- == 0) return n;
  }
  return -1;
}

}  // namespace pcshop::app
