#include "app/import/row_reason.h"

namespace pcshop::app {
namespace {

const std::string& PriceReason(PriceProblem problem, const ReasonTexts& t) {
  switch (problem) {
    case PriceProblem::kEmpty: return t.price_empty;
    case PriceProblem::kFraction: return t.price_fraction;
    case PriceProblem::kNotPositive: return t.price_not_positive;
    case PriceProblem::kTooLarge: return t.price_too_large;
    case PriceProblem::kNone:
    case PriceProblem::kNotNumber: break;
  }
  return t.price_not_number;
}

}  // namespace

std::string RowReason(const PlannedRow& row, const ReasonTexts& texts) {
  if (row.kind != RowKind::kRefused) return "";
  switch (row.refusal) {
    case Refusal::kNone: return "";
    case Refusal::kUnreadable: return row.problem;
    case Refusal::kNoCategory: return texts.no_category;
    case Refusal::kNoBrand: return texts.no_brand;
    case Refusal::kNoModel: return texts.no_model;
    case Refusal::kPrice: return PriceReason(row.price_problem, texts);
    case Refusal::kDuplicate:
      return texts.duplicate_before + std::to_string(row.other_row) + texts.duplicate_after;
    case Refusal::kAmbiguous: return texts.ambiguous;
  }
  return "";
}

}  // namespace pcshop::app
