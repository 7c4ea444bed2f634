#include "launcher/scramble.h"

#include <cstring>

namespace pcshop::launcher {

void Scramble(std::span<uint8_t> bytes, const ScrambleKey& key, size_t position) {
  // The pattern repeats every four bytes; area position j goes with
  // k[(j + 1) mod 4]. XOR four bytes at a time where we can (this runs over
  // the whole multi-megabyte package).
  uint8_t pattern[4];
  for (size_t i = 0; i < 4; ++i) pattern[i] = key[(position + i + 1) % 4];
  uint32_t word_key;
  std::memcpy(&word_key, pattern, 4);
  uint8_t* p = bytes.data();
  const size_t n = bytes.size();
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    uint32_t w;
    std::memcpy(&w, p + i, 4);
    w ^= word_key;
    std::memcpy(p + i, &w, 4);
  }
  for (; i < n; ++i) p[i] ^= pattern[i % 4];
}

}  // namespace pcshop::launcher
