#pragma once
// The customer record at the table store's record pointer: its field names,
// its equality tests and its row in the customer list.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// The register's stored 应收 and 应付 of the customer named `name`: its
// opening balances. Nothing when the register has no such name. Leaves the
// customer table current.
struct OpeningBalances {
  int32_t receivable = 0;
  int32_t payable = 0;
};
std::optional<OpeningBalances> OpeningBalancesOf(calls::Calls& rt, const char* name);

// Every name of the register, in record order.
std::vector<std::string> CustomerNames(calls::Calls& rt);

class Balances;

// Column 0 of an appended row: a number given, or the list's row count.
inline constexpr int32_t kNumberByRowCount = 0;

// Appends the current record as one row of `list`: column 0 `number` (or the
// row count with kNumberByRowCount), columns 1 to 9 the nine fields, except
// that 应收 and 应付 show the current balances (negative for money held for
// or paid ahead to the name), empty when they are not known.
void AppendCustomerRow(calls::Calls& rt, const calls::ValueTriple& list,
                       const CustomerFieldNames& names, int32_t number,
                       const Balances& balances);

}  // namespace pcshop::app
