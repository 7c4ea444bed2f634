#include "app/process_state.h"

#include <memory>

#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// Slot 8 holds the state's address; no other routine uses it.
constexpr uint32_t kStateSlot = sym::var::kSlot8;

}  // namespace

ProcessState& TheProcessState(calls::Calls& rt) {
  uintptr_t* slot = rt.Var(kStateSlot);
  if (*slot == 0) *slot = reinterpret_cast<uintptr_t>(std::make_unique<ProcessState>().release());
  return *reinterpret_cast<ProcessState*>(*slot);
}

void FreeProcessState(calls::Calls& rt) {
  uintptr_t* slot = rt.Var(kStateSlot);
  std::unique_ptr<ProcessState> owned(reinterpret_cast<ProcessState*>(*slot));
  *slot = 0;
}

}  // namespace pcshop::app
