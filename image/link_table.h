#pragma once
// How the code section works on a native build. Native routines cannot live
// in a data block, so the code section holds the application's link table:
// 8-byte slots, one per thing the routines refer to. The image writer
// (tools/mkimage) lays the slots out, the reader validates them, the runtime
// patches them in place, and the application reads them through image/calls.
//
// Slot kinds, by what marks them:
// - routine slot: one per routine the image names (event handlers, the exit
//   routine, ImageEntry). Zero in the stored image; the executable writes the
//   routine's native address into it before the hand-off. A binding's code
//   offset and the header's entry offset point at such a slot.
// - address fixup (code fixup list, word = (code offset << 3) | kind): the
//   slot holds an offset into the target as a 64-bit little-endian value; the
//   runtime adds the target's base address, so the slot then holds a pointer.
//     kind 0: entry-point table; the stored value is the entry's byte offset
//             in the 4-byte numbering (0, 4, ... 48), the runtime maps it to
//             its own (widened) table;
//     kind 1: const data (a text, double or binary value);
//     kind 2: var area; the stored value is the byte offset of an 8-byte slot
//             in the widened var area (0, 8, ... 64);
//     kind 3: code data; the code offset of a routine slot (a routine
//             reference: the exit routine).
// - id slot (an @reloc1 group lists its code offset): the low 32 bits hold a
//   number of the runtime's numbering, the high 32 bits are zero; the runtime
//   checks and maps it in place:
//     group 0: window and control ids; group 1: DLL-command indices;
//     group 2: library numbers; group 3: type identifiers.

#include <array>
#include <cstdint>

namespace pcshop::image {

inline constexpr uint32_t kSlotSize = 8;

enum class FixupKind : uint32_t { kEntryPoint = 0, kConst = 1, kVar = 2, kCode = 3 };
inline constexpr uint32_t kFixupKindBits = 3;
inline constexpr uint32_t kFixupKindMask = (1u << kFixupKindBits) - 1;
constexpr uint32_t MakeFixup(uint32_t code_offset, FixupKind kind) {
  return (code_offset << kFixupKindBits) | static_cast<uint32_t>(kind);
}

enum class IdGroup : uint32_t { kWindowsAndControls = 0, kDllCommands = 1, kLibraries = 2,
                                kTypes = 3 };
inline constexpr uint32_t kIdGroupCount = 4;

// The runtime's entry points, by their byte offset in the 4-byte numbering.
enum class EntryPoint : uint32_t {
  kReportRuntimeError = 0,
  kCallDllCommand = 4,
  kCallLibraryCommand = 8,
  kCallKernelCommand = 12,
  kGetProperty = 16,
  kSetProperty = 20,
  kAllocateMemory = 24,
  kUnused28 = 28,
  kFreeMemory = 32,
  kExitProgram = 36,
  kRunMessageLoop = 40,
  kLoadStartWindow = 44,
  kRegisterExitRoutine = 48,
};
inline constexpr uint32_t kEntryPointCount = 13;
constexpr uint32_t EntryIndex(EntryPoint e) { return static_cast<uint32_t>(e) / 4; }

// The twelve stub slots stand at the end of the code data in this order.
inline constexpr std::array<EntryPoint, 12> kStubOrder = {
    EntryPoint::kExitProgram,       EntryPoint::kRunMessageLoop,
    EntryPoint::kLoadStartWindow,   EntryPoint::kRegisterExitRoutine,
    EntryPoint::kFreeMemory,        EntryPoint::kAllocateMemory,
    EntryPoint::kSetProperty,       EntryPoint::kCallKernelCommand,
    EntryPoint::kCallLibraryCommand, EntryPoint::kReportRuntimeError,
    EntryPoint::kGetProperty,       EntryPoint::kCallDllCommand,
};

// The var area: nine global slots, each 8 bytes wide so that an address fits.
inline constexpr uint32_t kVarSlotCount = 9;
inline constexpr uint32_t kVarAreaSize = kVarSlotCount * kSlotSize;
// Slot 0 holds the 20-byte hit-test block; these slots hold runtime-allocated
// values that the exit routine frees (the 4-byte numbering's 4, 12, 16, 20, 28).
inline constexpr std::array<uint32_t, 5> kOwnedVarSlots = {1, 3, 4, 5, 7};
inline constexpr uint32_t kHitTestBlockSize = 20;

}  // namespace pcshop::image
