#pragma once
// Which var slot holds which process-wide value. Texts live in slots the exit
// routine frees (image/link_table.h: kOwnedVarSlots); whoever replaces one
// frees the old text first.

#include <string_view>

#include "image/app_symbols.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// The skin library's full path (GBK), empty until LocateSkinLibrary finds one.
inline constexpr uint32_t kSkinLibraryPathSlot = sym::var::kSlot1;

// The row count of the product list at its last export (an integer, not
// owned), read by the export's file naming; 0 until the first one.
inline constexpr uint32_t kExportedProductRowsSlot = sym::var::kSlot2;

// The text held in a var slot; "" for an empty slot.
inline const char* SlotText(calls::Calls& rt, uint32_t slot) {
  const uintptr_t value = *rt.Var(slot);
  return value != 0 ? reinterpret_cast<const char*>(value) : "";
}

// Replaces the slot's text with a runtime-allocated copy of `text`.
void StoreSlotText(calls::Calls& rt, uint32_t slot, std::string_view text);

}  // namespace pcshop::app
