#pragma once
// The package's scrambling: an XOR with the four key bytes k0..k3 as stored.
// The key index starts at 1: area[0] goes with k1, then k2, k3, k0, k1, ...
// Scrambling twice with the same key gives the input back.

#include <array>
#include <cstdint>
#include <span>

namespace pcshop::launcher {

using ScrambleKey = std::array<uint8_t, 4>;

void Scramble(std::span<uint8_t> area, const ScrambleKey& key);

}  // namespace pcshop::launcher
