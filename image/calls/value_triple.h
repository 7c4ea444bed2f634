#pragma once
// Value triples: every argument and typed result that crosses the runtime's
// call interface travels as three 32-bit words {low, high, type}.
//
// 64-bit widening, written down once here: a 32-bit value sits in `low` with
// 0 in `high`; an 8-byte value (double, date-time, long integer) fills both; an address
// (text, binary, array, record, routine reference) fills `low` and `high`
// together as one 64-bit little-endian value. Ids, counts and type codes stay
// 32-bit. Nothing outside this file splits or joins an address.
//
// Object triples name a window or control: {window id, control id, type
// identifier}, with the type identifier in the type word.

#include <bit>
#include <cstdint>
#include <span>

#include "image/type_ids.h"

namespace pcshop::calls {

enum class TypeCode : uint32_t {
  kOmitted = 0,
  kInteger = 0x80000301,
  // A 64-bit whole number (amounts and totals that outgrow 32 bits): two's
  // complement over `low` and `high`.
  kLongInteger = 0x80000401,
  kDouble = 0x80000601,
  kLogical = 0x80000002,
  kDateTime = 0x80000003,
  kText = 0x80000004,
  kBinary = 0x80000005,
  kRoutineRef = 0x80000008,
};

// Type identifiers, as the call interface names them.
enum class TypeId : uint32_t {
  kWindow = image::type_id::kWindow,
  kEditBox = image::type_id::kEditBox,
  kGroupBox = image::type_id::kGroupBox,
  kButton = image::type_id::kButton,
  kComboBox = image::type_id::kComboBox,
  kCommonDialog = image::type_id::kCommonDialog,
  kFieldList = image::type_id::kFieldList,
  kListView = image::type_id::kListView,
  kTransparentLabel = image::type_id::kLabel,
  kSpreadsheetApp = image::type_id::kSpreadsheetApp,
  kSpreadsheetBook = image::type_id::kSpreadsheetBook,
};
using image::IsKnownTypeId;

struct RoutineCall;
// Every routine of the application, as the runtime calls it through its slot.
using Routine = void (*)(const RoutineCall&);

// What a routine reference points at on a 64-bit build: the routine and the
// frame of the routine that made the reference (the nested routine reads that
// routine's locals through it). The record lives in the maker's frame and
// stays valid for the call it is passed to.
struct RoutineReference {
  Routine routine = nullptr;
  void* frame = nullptr;
};

struct ValueTriple {
  uint32_t low = 0;
  uint32_t high = 0;
  uint32_t type = 0;

  TypeCode code() const { return static_cast<TypeCode>(type); }
  bool is(TypeCode c) const { return type == static_cast<uint32_t>(c); }

  // The 64-bit value of both words: an address, or a double's bits.
  uint64_t wide() const { return (static_cast<uint64_t>(high) << 32) | low; }
  int32_t AsInt() const { return static_cast<int32_t>(low); }
  int64_t AsLong() const { return static_cast<int64_t>(wide()); }
  double AsDouble() const { return std::bit_cast<double>(wide()); }
  template <typename T>
  T* AsPointer() const {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(wide()));
  }

  friend bool operator==(const ValueTriple&, const ValueTriple&) = default;
};
static_assert(sizeof(ValueTriple) == 12, "three 32-bit words");

constexpr ValueTriple Wide(uint64_t value, uint32_t type) {
  return {static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32), type};
}
inline ValueTriple Omitted() { return {}; }
inline ValueTriple Int(int32_t v) {
  return {static_cast<uint32_t>(v), 0, static_cast<uint32_t>(TypeCode::kInteger)};
}
inline ValueTriple Long(int64_t v) {
  return Wide(static_cast<uint64_t>(v), static_cast<uint32_t>(TypeCode::kLongInteger));
}
inline ValueTriple Logical(bool v) {
  return {v ? 1u : 0u, 0, static_cast<uint32_t>(TypeCode::kLogical)};
}
inline ValueTriple Double(double v) {
  return Wide(std::bit_cast<uint64_t>(v), static_cast<uint32_t>(TypeCode::kDouble));
}
inline ValueTriple DateTime(double v) {
  return Wide(std::bit_cast<uint64_t>(v), static_cast<uint32_t>(TypeCode::kDateTime));
}
inline ValueTriple Address(const void* p, uint32_t type) {
  return Wide(reinterpret_cast<uintptr_t>(p), type);
}
inline ValueTriple Text(const char* text) {
  return Address(text, static_cast<uint32_t>(TypeCode::kText));
}
inline ValueTriple Binary(const void* binary) {
  return Address(binary, static_cast<uint32_t>(TypeCode::kBinary));
}
inline ValueTriple Reference(const RoutineReference* ref) {
  return Address(ref, static_cast<uint32_t>(TypeCode::kRoutineRef));
}
// A value of a library data type: the address of its block, 0, and the type
// identifier (CreateTable's field list).
inline ValueTriple LibraryValue(const void* block, TypeId type) {
  return Address(block, static_cast<uint32_t>(type));
}
inline ValueTriple Object(uint32_t window, uint32_t control, uint32_t type_id) {
  return {window, control, type_id};
}

// One field description of CreateTable's field list, as the runtime reads it.
struct FieldRecord {
  const char* name = nullptr;  // GBK
  int32_t type_code = 0;       // 10 text, 3 integer
  int32_t width = 0;
};

// An array value, widened: the dimension count and each dimension's size as
// 32-bit words, then the elements, 8 bytes each (an integer in the low half,
// or an address) starting at the next 8-byte boundary.
constexpr size_t ArrayElementsOffset(uint32_t dimensions) {
  return (4 + 4 * static_cast<size_t>(dimensions) + 7) / 8 * 8;
}

}  // namespace pcshop::calls
