#include "app/catalogue/picked_record.h"

#include "app/global_slots.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// The texts sit in slots the exit routine frees; the price in one it leaves.
constexpr uint32_t kKindSlot = sym::var::kSlot3;
constexpr uint32_t kBrandSlot = sym::var::kSlot4;
constexpr uint32_t kModelSlot = sym::var::kSlot5;
constexpr uint32_t kPriceSlot = sym::var::kSlot6;
constexpr uint32_t kRemarkSlot = sym::var::kSlot7;

}  // namespace

PickedView ReadPicked(calls::Calls& rt) {
  return {SlotText(rt, kKindSlot), SlotText(rt, kBrandSlot), SlotText(rt, kModelSlot),
          static_cast<int32_t>(static_cast<uint32_t>(*rt.Var(kPriceSlot))),
          SlotText(rt, kRemarkSlot)};
}

void RememberPicked(calls::Calls& rt, const EntryPanel& panel) {
  StoreSlotText(rt, kKindSlot, TextOf(rt, panel.kind).view());
  StoreSlotText(rt, kBrandSlot, TextOf(rt, panel.brand).view());
  StoreSlotText(rt, kModelSlot, TextOf(rt, panel.model).view());
  const calls::OwnedText price = TextOf(rt, panel.price);
  *rt.Var(kPriceSlot) = static_cast<uint32_t>(rt.TextToInt(price.c_str()));
  StoreSlotText(rt, kRemarkSlot, TextOf(rt, panel.remark).view());
}

}  // namespace pcshop::app
