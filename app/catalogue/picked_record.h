#pragma once
// The product last picked for editing, shared by the quote window and the
// product management window. It lives in the image's var slots, so it
// outlives both windows; the exit routine frees its texts.

#include <cstdint>
#include <string_view>

#include "app/catalogue/entry_panel.h"
#include "image/calls/calls.h"

namespace pcshop::app {

struct PickedView {
  std::string_view kind;
  std::string_view brand;
  std::string_view model;
  int32_t price = 0;
  std::string_view remark;
};

// Empty texts and 0 until something is picked.
PickedView ReadPicked(calls::Calls& rt);

// Remembers the panel's inputs as they stand: the three box texts, the price
// text through TextToInt, the remark.
void RememberPicked(calls::Calls& rt, const EntryPanel& panel);

}  // namespace pcshop::app
