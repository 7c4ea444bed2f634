#pragma once
// The catalogue as the product search holds it in memory: built on first
// use from the fourteen category tables, each table read again only when
// its change counter moved (this copy's writes or another counter's), and
// the stock on hand summed again only when a stock table's counter moved.
// One index serves every window of the process (search_indexes.h).

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/catalogue/category_tables.h"
#include "app/search/product_match.h"
#include "image/calls/calls.h"

namespace pcshop::app {

class ProductIndex {
 public:
  // Reads what changed since the last call; the current table is current
  // again afterwards.
  void Refresh(calls::Calls& rt);

  // The best matches of `typed` (product_match.h), kept for Found.
  const std::vector<SearchEntry>& Find(std::string_view typed);
  // Row `row` of the last Find; null outside it.
  const SearchEntry* Found(int32_t row) const;

  // Whether the stock figures could be summed (a foreign stock layout: no).
  bool on_hand_known() const { return on_hand_known_; }
  size_t size() const;

 private:
  void LoadCategory(calls::Calls& rt, size_t category);
  void LoadOnHand(calls::Calls& rt);
  // The folded pinyin initials of a folded text; "" when it holds no
  // double-byte character.
  std::string Initials(calls::Calls& rt, std::string_view folded);

  static constexpr size_t kCategories = static_cast<size_t>(kCategoryCount);
  static constexpr int32_t kNever = -2;  // ChangeCount answers -1 at worst

  std::array<std::vector<SearchEntry>, kCategories> tables_;
  std::array<int32_t, kCategories> counters_ = MakeNever<kCategories>();
  std::array<int32_t, 2> stock_counters_ = MakeNever<2>();
  bool on_hand_known_ = false;
  // Initial of each double-byte character met, by its two bytes.
  std::unordered_map<uint16_t, char> initials_;
  std::vector<SearchEntry> found_;

  template <size_t N>
  static constexpr std::array<int32_t, N> MakeNever() {
    std::array<int32_t, N> a{};
    a.fill(kNever);
    return a;
  }
};

}  // namespace pcshop::app
