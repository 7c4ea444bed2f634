#pragma once
// Prices as suppliers write them, on GBK texts: "1299", "1,299", "￥1299",
// "1299.00", "1299元" and their full-width forms read as 1299. Anything else
// ("询价", "-", an empty cell, "12.5", "0") is refused with its reason; a
// price is never made up, least of all 0.

#include <cstdint>
#include <string_view>

namespace pcshop::app {

enum class PriceProblem : int32_t {
  kNone = 0,
  kEmpty,        // no price in the cell
  kNotNumber,    // 询价, -, text
  kFraction,     // a part below one yuan: prices are whole
  kNotPositive,  // 0 or below
  kTooLarge,
};

inline constexpr int64_t kMaxImportPrice = 999'999'999;

struct PriceRead {
  int64_t price = 0;
  PriceProblem problem = PriceProblem::kNone;
};

// `signs`: the currency and unit marks allowed before or after the number,
// separated by spaces, GBK (the text ImportPriceSigns: "￥ ¥ 元 rmb").
PriceRead ReadPrice(std::string_view gbk, std::string_view signs);

}  // namespace pcshop::app
