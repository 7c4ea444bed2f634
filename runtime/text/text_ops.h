#pragma once
// Text slicing and character codes over GBK byte strings. Lengths and positions
// count bytes, as the application expects, but a slice never holds half of a
// double-byte character: every slicer returns exactly the characters that lie
// wholly inside the requested byte range. So a cut that would end inside a
// character stops before it, and a start on a trail byte moves on to the next
// character. Out-of-range arguments narrow the range; they never fail.
//
// A character is one byte, or two bytes when the first is a GBK lead byte
// (0x81..0xFE) and another byte follows; this is the same rule as
// GbkBoundaryAtOrBefore, so slices and codec cuts always agree.

#include <cstdint>
#include <string>
#include <string_view>

namespace pcshop::text {

// Byte length, saturated at INT32_MAX.
int32_t TextLength(std::string_view text);

// The first `count` bytes; count <= 0 gives the empty text.
std::string LeftText(std::string_view text, int32_t count);

// The last `count` bytes; count <= 0 gives the empty text.
std::string RightText(std::string_view text, int32_t count);

// `length` bytes from byte `start`, counted from 1. A start below 1 counts as
// 1 without lengthening the slice's end; a start past the end or a length
// <= 0 gives the empty text.
std::string MidText(std::string_view text, int32_t start, int32_t length);

// The code of the character starting at byte `position` (from 1):
// - a single byte gives its value, 0..255;
// - a lead byte with a byte after it gives the negated two-byte code,
//   -(lead * 256 + trail), so every double-byte character reads negative and
//   a byte walk can step over it by two;
// - a position outside the text gives 0, as the terminator would.
// A position on a trail byte reads that byte alone; walkers that step by the
// sign never land there.
int32_t CharCode(std::string_view text, int32_t position = 1);

// The runtime's normal form of a text such as a path typed or built by the
// application: leading and trailing spaces and tabs removed. The bytes in
// between are kept as they are (0x20 and 0x09 never occur as trail bytes, so
// trimming cannot cut a character).
std::string NormalizeText(std::string_view text);

}  // namespace pcshop::text
