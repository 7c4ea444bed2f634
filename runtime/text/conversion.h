#pragma once
// Number <-> text conversions and text buffers. Texts are GBK byte strings;
// every number text is plain ASCII.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"

namespace pcshop::text {

// Decimal form, "-" for negatives.
std::string ToText(int32_t value);
std::string ToText(int64_t value);

// The shortest text that reads back as the same double. Magnitudes from 1e-6
// up to 1e16 are written as plain decimals, a whole number without a decimal
// point (2 x 1999.0 reads "3998", 0.1 reads "0.1", -12.75 reads "-12.75");
// outside that range in exponent form ("1e+20", "2.5e-07"). Negative zero
// reads "0"; NaN and the infinities read "nan", "inf" and "-inf".
std::string ToText(double value);

// Reads the integer a text starts with:
// - leading blanks are skipped: space, tab, and the GBK full-width space
//   (0xA1 0xA1), which Chinese input methods type as often as the ASCII one;
// - then an optional "+" or "-" directly followed by the digits;
// - digits are read up to the first non-digit, so "12.7" and "12.5元" read 12;
// - a text without digits there ("", "abc", "-") reads 0;
// - a value beyond 32 bits saturates at INT32_MIN or INT32_MAX.
int32_t TextToInt(std::string_view text);

// The same reading into 64 bits, for amounts and totals. A number beyond 64
// bits is not saturated but refused (nothing), so that the caller can say
// so instead of going on with a wrong number.
std::optional<int64_t> TextToLong(std::string_view text);

// The largest buffer MakeTextBuffer hands out; larger requests are refused
// instead of exhausting memory.
inline constexpr int32_t kMaxTextBuffer = 16 * 1024 * 1024;

// A buffer of `size` zero bytes for a platform call to write a text into. Zero
// bytes (not blanks) so that a call that writes nothing, or fails, leaves the
// empty text behind rather than `size` blanks. A negative size gives the empty
// buffer; a size above kMaxTextBuffer is an InvalidArgument error.
[[nodiscard]] Result<std::string> MakeTextBuffer(int32_t size);

// The text a platform call left in a buffer: the bytes before the first zero
// byte, or the whole buffer when it holds none.
std::string TextInBuffer(std::string_view buffer);

}  // namespace pcshop::text
