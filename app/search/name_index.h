#pragma once
// The customer register as the name boxes search it in memory: read again
// only when the customer table's change counter moved (this copy's writes or
// another counter's), so a key press never walks the table.
//
// Every word typed must be part of the name, the pinyin code or the phone,
// in any order, ignoring case and full-width forms. A name, code or phone
// equal to what was typed comes first, then one that starts with it, then
// the rest; register order within each.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

struct NameEntry {
  std::string name, pinyin, phone;  // as the register holds them
  std::string name_folded, pinyin_folded, phone_compact;
};

class NameIndex {
 public:
  // Reads the register again when it changed; leaves the customer table
  // current.
  void Refresh(calls::Calls& rt);

  // The names that match `typed`, best first, at most `limit`; every name in
  // register order for a text without words. Kept for Found.
  const std::vector<const NameEntry*>& Find(std::string_view typed,
                                            size_t limit = std::numeric_limits<size_t>::max());
  // Row `row` of the last Find; null outside it.
  const NameEntry* Found(int32_t row) const;

  size_t size() const { return entries_.size(); }

 private:
  std::vector<NameEntry> entries_;
  std::vector<const NameEntry*> found_;
  int32_t counter_ = -2;  // ChangeCount answers -1 at worst
};

}  // namespace pcshop::app
