#pragma once
// The helpers that compiled code carries inside the image and calls without
// the runtime: padding of omitted arguments, text compare and length,
// concatenation into a runtime block, and truncation of a double.

#include <cstdint>
#include <span>

#include "image/calls/entry_points.h"
#include "image/calls/value_triple.h"

namespace pcshop::calls {

// Fills `triples` with omitted arguments (three zero words each).
void Pad(std::span<ValueTriple> triples);

// Byte-wise comparison as unsigned bytes; a null text equals "". 0 when
// equal, -1 when `a` sorts first, 1 otherwise.
int32_t CompareText(const char* a, const char* b);

// Bytes before the terminator; 0 for a null text. Saturates at INT32_MAX.
int32_t TextLength(const char* text);

// Joins the texts (null ones count as "") into one new block of total length
// + 1 bytes from `allocate`; the caller owns it. Null when the block cannot
// be had (a total beyond 32 bits, or the allocation fails).
char* Concatenate(AllocateMemoryFn allocate, std::span<const char* const> texts);

// A double to a 64-bit integer, rounding toward zero whatever the current
// rounding mode. NaN gives 0; values beyond the 64-bit range saturate (the
// machine instruction's "integer indefinite" would turn them into INT64_MIN).
int64_t Truncate(double value);

}  // namespace pcshop::calls
