#pragma once
// The supplier's price list both import benchmarks read: an .xlsx of
// 品名/品牌/型号/单价/说明 over the fourteen categories. Row r is category
// r % 14 and model m<c>-<i> with i = r / 14 (the catalogue's M<c>-<i> typed
// in another case); one row in ten is past the `per_category` products the
// catalogue holds, so new; one in fifty is priced 询价, so refused.

#include <filesystem>

#include "base/status.h"

namespace pcshop::bench {

[[nodiscard]] Status WritePriceList(const std::filesystem::path& path, int rows, int per_category);

}  // namespace pcshop::bench
