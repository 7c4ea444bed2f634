#include "image/calls/compiled_helpers.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace pcshop::calls {

void Pad(std::span<ValueTriple> triples) {
  for (ValueTriple& t : triples) t = Omitted();
}

int32_t CompareText(const char* a, const char* b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a != nullptr ? a : "");
  const auto* y = reinterpret_cast<const unsigned char*>(b != nullptr ? b : "");
  for (;; ++x, ++y) {
    if (*x != *y) return *x < *y ? -1 : 1;
    if (*x == 0) return 0;
  }
}

int32_t TextLength(const char* text) {
  if (text == nullptr) return 0;
  const size_t n = std::strlen(text);
  return n > static_cast<size_t>(std::numeric_limits<int32_t>::max())
             ? std::numeric_limits<int32_t>::max()
             : static_cast<int32_t>(n);
}

char* Concatenate(AllocateMemoryFn allocate, std::span<const char* const> texts) {
  uint64_t total = 0;
  for (const char* t : texts) total += t != nullptr ? std::strlen(t) : 0;
  if (total >= std::numeric_limits<uint32_t>::max()) return nullptr;
  auto* block = static_cast<char*>(allocate(static_cast<uint32_t>(total + 1)));
  if (block == nullptr) return nullptr;
  char* out = block;
  for (const char* t : texts) {
    if (t == nullptr) continue;
    const size_t n = std::strlen(t);
    std::memcpy(out, t, n);
    out += n;
  }
  *out = '\0';
  return block;
}

int64_t Truncate(double value) {
  if (std::isnan(value)) return 0;
  // 2^63 is exact as a double; anything at or beyond it does not fit.
  constexpr double kLimit = 9223372036854775808.0;
  if (value >= kLimit) return std::numeric_limits<int64_t>::max();
  if (value < -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(std::trunc(value));  // trunc ignores the rounding mode
}

}  // namespace pcshop::calls
