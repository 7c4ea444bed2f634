#include "app/global_slots.h"

#include <cstring>

namespace pcshop::app {

void StoreSlotText(calls::Calls& rt, uint32_t slot, std::string_view text) {
  uintptr_t* value = rt.Var(slot);
  if (*value != 0) rt.FreeMemory(reinterpret_cast<void*>(*value));
  *value = 0;
  auto* copy = static_cast<char*>(rt.AllocateMemory(static_cast<uint32_t>(text.size() + 1)));
  if (copy == nullptr) return;  // the slot stays empty: no skin path
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  *value = reinterpret_cast<uintptr_t>(copy);
}

}  // namespace pcshop::app
