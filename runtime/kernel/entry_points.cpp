#include "runtime/kernel/entry_points.h"

#include <span>
#include <string>

#include "image/link_table.h"
#include "runtime/kernel/active_runtime.h"
#include "runtime/kernel/command_dispatch.h"
#include "runtime/kernel/runtime.h"
#include "runtime/kernel/runtime_memory.h"
#include "runtime/kernel/window_commands.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::kernel {
namespace {

using calls::ValueTriple;
using image::EntryPoint;

void ReportRuntimeError(int32_t kind, int32_t routine_id, int32_t position) {
  if (Runtime* rt = ActiveRuntime()) rt->ReportRuntimeError(kind, routine_id, position);
}

uint64_t CallDllCommand(uint32_t index, const uintptr_t* words, uint32_t count,
                        uint32_t* words_taken) {
  uint32_t taken = count;
  uint64_t result = 0;
  if (Runtime* rt = ActiveRuntime()) {
    result = DispatchDllCommand(*rt, index, std::span<const uintptr_t>(words, count), &taken);
  }
  if (words_taken != nullptr) *words_taken = taken;
  return result;
}

void CallLibraryCommand(uint32_t library, uint32_t command, ValueTriple* result, uint32_t count,
                        const ValueTriple* arguments) {
  ValueTriple r;
  if (Runtime* rt = ActiveRuntime()) {
    r = DispatchLibraryCommand(*rt, library, command,
                               std::span<const ValueTriple>(arguments, count));
  }
  if (result != nullptr) *result = r;
}

void CallKernelCommand(uint32_t command, ValueTriple* result, uint32_t count,
                       const ValueTriple* arguments) {
  ValueTriple r;
  if (Runtime* rt = ActiveRuntime()) {
    r = DispatchKernelCommand(*rt, command, std::span<const ValueTriple>(arguments, count));
  }
  if (result != nullptr) *result = r;
}

// No property is an array: the element index is not used.
uint64_t GetProperty(uint32_t window, uint32_t control, int32_t property, int32_t /*element*/) {
  Runtime* rt = ActiveRuntime();
  return rt != nullptr ? GetPropertyValue(*rt, window, control, property) : 0;
}

void SetProperty(uint32_t window, uint32_t control, int32_t property, int32_t /*element*/,
                 uint64_t value) {
  if (Runtime* rt = ActiveRuntime()) SetPropertyValue(*rt, window, control, property, value);
}

void* AllocateMemory(uint32_t size) { return AllocateBlock(size); }
void FreeMemory(void* block) { FreeBlock(block); }

void ExitProgram(int32_t code) {
  if (Runtime* rt = ActiveRuntime()) rt->ExitProgram(code);
}

// Runs until the last window closes; at once when none is open.
void RunMessageLoop() {
  Runtime* rt = ActiveRuntime();
  if (rt != nullptr && rt->windows() != nullptr) rt->windows()->RunMessageLoop();
}

void LoadStartWindow(uint32_t window) {
  Runtime* rt = ActiveRuntime();
  if (rt == nullptr || rt->windows() == nullptr) return;
  if (!rt->windows()->LoadWindow(window, false)) {
    rt->NotAvailable("start window " + std::to_string(window));
  }
}

void RegisterExitRoutine(const void* routine_slot, uint32_t /*selector*/) {
  if (Runtime* rt = ActiveRuntime()) rt->RegisterExitRoutine(routine_slot);
}

template <typename Fn>
uintptr_t Address(Fn fn) {
  return reinterpret_cast<uintptr_t>(fn);
}

}  // namespace

void FillEntryTable(calls::EntryTable& t) {
  using image::EntryIndex;
  t[EntryIndex(EntryPoint::kReportRuntimeError)] =
      Address<calls::ReportRuntimeErrorFn>(&ReportRuntimeError);
  t[EntryIndex(EntryPoint::kCallDllCommand)] = Address<calls::CallDllCommandFn>(&CallDllCommand);
  t[EntryIndex(EntryPoint::kCallLibraryCommand)] =
      Address<calls::CallLibraryCommandFn>(&CallLibraryCommand);
  t[EntryIndex(EntryPoint::kCallKernelCommand)] =
      Address<calls::CallKernelCommandFn>(&CallKernelCommand);
  t[EntryIndex(EntryPoint::kGetProperty)] = Address<calls::GetPropertyFn>(&GetProperty);
  t[EntryIndex(EntryPoint::kSetProperty)] = Address<calls::SetPropertyFn>(&SetProperty);
  t[EntryIndex(EntryPoint::kAllocateMemory)] = Address<calls::AllocateMemoryFn>(&AllocateMemory);
  t[EntryIndex(EntryPoint::kUnused28)] = 0;
  t[EntryIndex(EntryPoint::kFreeMemory)] = Address<calls::FreeMemoryFn>(&FreeMemory);
  t[EntryIndex(EntryPoint::kExitProgram)] = Address<calls::ExitProgramFn>(&ExitProgram);
  t[EntryIndex(EntryPoint::kRunMessageLoop)] = Address<calls::RunMessageLoopFn>(&RunMessageLoop);
  t[EntryIndex(EntryPoint::kLoadStartWindow)] =
      Address<calls::LoadStartWindowFn>(&LoadStartWindow);
  t[EntryIndex(EntryPoint::kRegisterExitRoutine)] =
      Address<calls::RegisterExitRoutineFn>(&RegisterExitRoutine);
}

}  // namespace pcshop::kernel
