#pragma once
// The customer record at the table store's record pointer: its field names,
// its equality tests and its row in the customer list.

#include <cstdint>

#include "image/calls/calls.h"

namespace pcshop::app {

struct CustomerFieldNames {
  const char* name;
  const char* pinyin;
  const char* category;
  const char* unit;
  const char* phone;
  const char* receivable;
  const char* payable;
  const char* remark;
  const char* date;
};

CustomerFieldNames CustomerFieldNamesOf(calls::Calls& rt);

// Makes the customer table current, pointer on record 1.
void SelectCustomerTable(calls::Calls& rt);

// Column 0 of an appended row: a number given, or the list's row count.
inline constexpr int32_t kNumberByRowCount = 0;

// Appends the current record as one row of `list`: column 0 `number` (or the
// row count with kNumberByRowCount), columns 1 to 9 the nine fields, the two
// amounts as decimal text.
void AppendCustomerRow(calls::Calls& rt, const calls::ValueTriple& list,
                       const CustomerFieldNames& names, int32_t number);

}  // namespace pcshop::app
