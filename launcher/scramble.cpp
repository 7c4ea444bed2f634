#include "launcher/scramble.h"

#include <cstring>

namespace pcshop::launcher {

void Scramble(std::span<uint8_t> area, const ScrambleKey& key) {
  // The pattern repeats every four bytes starting with k1; XOR four bytes at
  // a time where we can (this runs over the whole multi-megabyte package).
  const uint8_t pattern[4] = {key[1], key[2], key[3], key[0]};
  uint32_t word_key;
  std::memcpy(&word_key, pattern, 4);
  uint8_t* p = area.data();
  size_t n = area.size();
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
