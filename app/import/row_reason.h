#pragma once
// Why the preview refuses a row, in the user's words. The texts come from
// the image (forms/texts.json); this puts them together.

#include <string>

#include "app/import/import_plan.h"

namespace pcshop::app {

// GBK texts, one per reason; `duplicate_before` + the other row's number +
// `duplicate_after` for a product the list names twice.
struct ReasonTexts {
  std::string no_category, no_brand, no_model;
  std::string price_empty, price_not_number, price_fraction, price_not_positive, price_too_large;
  std::string duplicate_before, duplicate_after, ambiguous;
};

// Empty for a row that is not refused; the reader's own reason (already
// GBK) for a row it could not read.
std::string RowReason(const PlannedRow& row, const ReasonTexts& texts);

}  // namespace pcshop::app
