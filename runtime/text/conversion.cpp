#include "runtime/text/conversion.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace pcshop::text {
namespace {

// Plain decimals stay short and exact inside this range; beyond it a plain
// form would run to hundreds of digits.
constexpr double kPlainMin = 1e-6;
constexpr double kPlainMax = 1e16;

constexpr std::string_view kFullWidthSpace = "\xA1\xA1";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Where the number of a text starts, past the blanks; and its sign.
size_t NumberStart(std::string_view text, bool* negative) {
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
    } else if (text.substr(i, kFullWidthSpace.size()) == kFullWidthSpace) {
      i += kFullWidthSpace.size();
    } else {
      break;
    }
  }
  *negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    *negative = text[i] == '-';
    ++i;
  }
  return i;
}

}  // namespace

std::string ToText(int32_t value) { return std::to_string(value); }
std::string ToText(int64_t value) { return std::to_string(value); }

std::string ToText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0) return "0";  // also -0.0
  const double magnitude = std::fabs(value);
  const auto format = (magnitude >= kPlainMin && magnitude < kPlainMax)
                          ? std::chars_format::fixed
                          : std::chars_format::scientific;
  // Longest case: 17 significant digits, sign, point, 6 leading zeros, or an
  // exponent; 64 bytes leave room to spare.
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, format);
  if (ec != std::errc()) return "nan";  // cannot happen with this buffer size
  return std::string(buffer, end);
}

int32_t TextToInt(std::string_view text) {
  bool negative = false;
  size_t i = NumberStart(text, &negative);
  // The magnitude grows in 64 bits and stops at the limit of its sign, so a
  // long run of digits saturates instead of overflowing.
  constexpr int64_t kLimitPositive = std::numeric_limits<int32_t>::max();
  constexpr int64_t kLimitNegative = -static_cast<int64_t>(std::numeric_limits<int32_t>::min());
  const int64_t limit = negative ? kLimitNegative : kLimitPositive;
  int64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) {
      magnitude = limit;
      break;
    }
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::optional<int64_t> TextToLong(std::string_view text) {
  bool negative = false;
  size_t i = NumberStart(text, &negative);
  // Accumulated on the negative side, which holds one value more.
  int64_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (__builtin_mul_overflow(value, 10, &value) ||
        __builtin_sub_overflow(value, text[i] - '0', &value)) {
      return std::nullopt;
    }
  }
  if (negative) return value;
  if (value == std::numeric_limits<int64_t>::min()) return std::nullopt;
  return -value;
}

Result<std::string> MakeTextBuffer(int32_t size) {
  if (size <= 0) return std::string();
  if (size > kMaxTextBuffer) {
    return Status::InvalidArgument("text buffer of " + std::to_string(size) +
                                   " bytes is larger than " + std::to_string(kMaxTextBuffer));
  }
  return std::string(static_cast<size_t>(size), '\0');
}

std::string TextInBuffer(std::string_view buffer) {
  return std::string(buffer.substr(0, buffer.find('\0')));
}

}  // namespace pcshop::text
