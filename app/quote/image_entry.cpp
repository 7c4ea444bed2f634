// The image's start routine and its exit routine.

#include <cstring>

#include "app/app_calls.h"
#include "app/quote/skin_library.h"
#include "app/routines.h"
#include "app/process_state.h"
#include "image/link_table.h"

namespace pcshop::app {

namespace {

// The second start-up routine does nothing.
void StartUp(calls::Calls& /*calls*/) {}

constexpr uint32_t kVarSlots[image::kVarSlotCount] = {
    sym::var::kSlot0, sym::var::kSlot1, sym::var::kSlot2, sym::var::kSlot3, sym::var::kSlot4,
    sym::var::kSlot5, sym::var::kSlot6, sym::var::kSlot7, sym::var::kSlot8,
};

}  // namespace

void ImageEntry(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  // The quote grid's hit-test record lives for the whole run in var slot 0.
  void* hit_test = rt.AllocateMemory(image::kHitTestBlockSize);
  if (hit_test != nullptr) std::memset(hit_test, 0, image::kHitTestBlockSize);
  *rt.Var(sym::var::kSlot0) = reinterpret_cast<uintptr_t>(hit_test);

  rt.RegisterExitRoutine(rt.CodeAddress(sym::routine_ref::kExitRoutine));
  LocateSkinLibrary(rt, rt.ConstText(sym::text::kEmpty));
  StartUp(rt);
  rt.LoadStartWindow(rt.Id(sym::window::kQuote));
  rt.RunMessageLoop();
  rt.ExitProgram(0);
}

void ExitRoutine(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  uintptr_t* hit_test = rt.Var(kVarSlots[0]);
  rt.FreeMemory(reinterpret_cast<void*>(*hit_test));
  *hit_test = 0;
  FreeProcessState(rt);
  for (uint32_t index : image::kOwnedVarSlots) {
    uintptr_t* slot = rt.Var(kVarSlots[index]);
    if (*slot != 0) rt.FreeMemory(reinterpret_cast<void*>(*slot));
    *slot = 0;
  }
}

}  // namespace pcshop::app
