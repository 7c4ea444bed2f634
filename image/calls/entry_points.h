#pragma once
// The native signatures of the runtime's entry points. The runtime keeps a
// table of 13 pointer-sized entries in the order of link_table.h's EntryPoint
// (entry index = 4-byte offset / 4); a stub slot of the link table holds the
// address of its entry after the kind-0 fixups, and a call reads the entry
// and calls through it.
//
// Widened where the 32-bit interface carried an address or relied on the
// stack: counted calls take the argument count and a pointer to the triples
// (the result comes back in a triple), a DLL command takes its words as an
// array and reports how many words the called function takes, which is what
// the compiled code's stack comparison measured.

#include <cstdint>
#include <span>

#include "image/calls/value_triple.h"
#include "image/link_table.h"

namespace pcshop::calls {

// What a routine receives when the runtime calls it.
struct RoutineCall {
  // The image's code data (its link table), from which the routine reaches
  // constants, globals, ids and the entry points.
  std::span<uint8_t> code;
  // Words an event carries (the list view's click: x, y, flags); empty for
  // most events.
  std::span<const int32_t> event_data;
  // A nested routine's access to the locals of the routine that referenced it.
  void* frame = nullptr;
  // Where a routine called for a value (a FindRecord condition) leaves it:
  // the value in `low`, 0 in `high`, its type code in `type`.
  ValueTriple* result = nullptr;
};

using ReportRuntimeErrorFn = void (*)(int32_t kind, int32_t routine_id, int32_t position);
// `words_taken` receives the number of words the function takes; when it
// differs from `count` the function was not called and the result is 0.
using CallDllCommandFn = uint64_t (*)(uint32_t index, const uintptr_t* words, uint32_t count,
                                      uint32_t* words_taken);
using CallLibraryCommandFn = void (*)(uint32_t library, uint32_t command, ValueTriple* result,
                                      uint32_t count, const ValueTriple* arguments);
using CallKernelCommandFn = void (*)(uint32_t command, ValueTriple* result, uint32_t count,
                                     const ValueTriple* arguments);
// Element index -1 when the property is not an array. A text or binary
// property value is a new block the caller frees.
using GetPropertyFn = uint64_t (*)(uint32_t window, uint32_t control, int32_t property,
                                   int32_t element);
using SetPropertyFn = void (*)(uint32_t window, uint32_t control, int32_t property,
                               int32_t element, uint64_t value);
using AllocateMemoryFn = void* (*)(uint32_t size);
using FreeMemoryFn = void (*)(void* block);
using ExitProgramFn = void (*)(int32_t code);
using RunMessageLoopFn = void (*)();
using LoadStartWindowFn = void (*)(uint32_t window);
// `routine_slot` is the code address of the exit routine: the address of its
// routine slot (a kind-3 slot's value). The selector 3 travels beside it.
using RegisterExitRoutineFn = void (*)(const void* routine_slot, uint32_t selector);

inline constexpr uint32_t kExitRoutineSelector = 3;

// The runtime's entry-point table: 8-byte entries, indexed by EntryIndex().
using EntryTable = uintptr_t[image::kEntryPointCount];

// Fault kinds that compiled code reports through ReportRuntimeError.
enum class FaultKind : int32_t {
  kIndexOutOfRange = 1,
  kWrongValueType = 5,
  kStackMovedByDllCall = 6,
};

}  // namespace pcshop::calls
