#pragma once
// Stock on hand: received (入库) minus sold (出库) per 品名 + 品牌 + 型号,
// derived from the movements every time it is shown, never stored.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "image/calls/calls.h"

namespace pcshop::app {

class OnHand {
 public:
  // Sums 数量 of both stock tables by product, one aggregate call each; the
  // table that was current before is current again afterwards.
  static OnHand Load(calls::Calls& rt);

  // The on-hand figure of one product (0 for one never moved); nothing when
  // a stock table could not be summed (a foreign layout).
  std::optional<int64_t> Of(std::string_view kind, std::string_view brand,
                            std::string_view model) const;

 private:
  bool known_ = false;
  std::unordered_map<std::string, int64_t> net_;
};

// "库存: 12", or "" when the figure is not known.
std::string OnHandText(calls::Calls& rt, const std::optional<int64_t>& figure);

}  // namespace pcshop::app
