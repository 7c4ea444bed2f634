#pragma once
// The package's scrambling: an XOR with the four key bytes k0..k3 as stored.
// The key index starts at 1: area[0] goes with k1, then k2, k3, k0, k1, ...
// Scrambling twice with the same key gives the input back.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace pcshop::launcher {

using ScrambleKey = std::array<uint8_t, 4>;

// Scrambles `bytes`, which stand at `position` within the area, so that a
// part of the area can be done on its own.
void Scramble(std::span<uint8_t> bytes, const ScrambleKey& key, size_t position = 0);

}  // namespace pcshop::launcher
