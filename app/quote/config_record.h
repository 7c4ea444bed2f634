#pragma once
// One saved configuration as the sheet gives it and takes it back: the time
// stamp of a save, the 108 values of a record in field order, and the sheet
// filled from the record at the pointer.

#include <span>
#include <string>
#include <vector>

#include "app/quote/quote_sheet.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// The current date and time as "2024年5月3日14点7分": no leading zeros, no
// seconds. Two-digit month, day and hour make it 22 bytes, wider than its
// field; the table store keeps it whole.
std::string ConfigStamp(calls::Calls& rt);

// The values of one record as the sheet stands: the name box's text, the
// stamp, the seven cells of each quote row (数量, 单价 and 金额 as 64-bit
// integers), the remark box's text. Owns the texts the values point to, so
// it stays where it is built.
class SheetValues {
 public:
  SheetValues(calls::Calls& rt, const QuoteSheet& sheet, const std::string& stamp);
  SheetValues(const SheetValues&) = delete;
  SheetValues& operator=(const SheetValues&) = delete;

  std::span<const calls::ValueTriple> values() const { return values_; }
  // False when a number cell holds a number beyond 64 bits: such a record
  // would not read back as the sheet shows it, and must not be written.
  bool exact() const { return exact_; }

 private:
  std::string stamp_;
  std::vector<calls::OwnedText> texts_;
  std::vector<calls::ValueTriple> values_;
  bool exact_ = true;
};

// The empty sheet of a load: stamp and remark boxes, all eight cells of
// every quote row and the written cells of the totals row.
void ClearSheetForLoad(calls::Calls& rt, const QuoteSheet& sheet);

// The record at the pointer into the sheet, then the totals row.
void ShowRecordOnSheet(calls::Calls& rt, const QuoteSheet& sheet);

}  // namespace pcshop::app
