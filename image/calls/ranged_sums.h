#pragma once
// The result of SumInRange as it crosses the call interface: a binary value
// whose bytes are the group, key and term counts (32-bit little-endian),
// then per group each key as its bytes and a zero byte, each term's sum and
// the group's record count as 64-bit little-endian integers. The runtime
// writes it, the application reads it; both use this file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/calls/group_sums.h"

namespace pcshop::calls {

struct RangedGroup {
  std::vector<std::string> keys;
  std::vector<int64_t> sums;
  int64_t count = 0;
};

// `groups` all have `key_count` keys without zero bytes and `term_count` sums.
inline std::string EncodeRangedGroups(uint32_t key_count, uint32_t term_count,
                                      const std::vector<RangedGroup>& groups) {
  std::string out;
  AppendWord(out, groups.size(), 4);
  AppendWord(out, key_count, 4);
  AppendWord(out, term_count, 4);
  for (const RangedGroup& g : groups) {
    for (const std::string& key : g.keys) out.append(key).push_back('\0');
    for (const int64_t sum : g.sums) AppendWord(out, static_cast<uint64_t>(sum), 8);
    AppendWord(out, static_cast<uint64_t>(g.count), 8);
  }
  return out;
}

// The groups, or nothing when the bytes are not such a result.
inline std::optional<std::vector<RangedGroup>> DecodeRangedGroups(std::string_view bytes) {
  size_t pos = 0;
  auto word = [&](int width) -> std::optional<uint64_t> {
    if (bytes.size() - pos < static_cast<size_t>(width)) return std::nullopt;
    uint64_t v = 0;
    for (int i = 0; i < width; ++i) {
      v |= static_cast<uint64_t>(static_cast<uint8_t>(bytes[pos + i])) << (8 * i);
    }
    pos += static_cast<size_t>(width);
    return v;
  };
  const auto count = word(4);
  const auto key_count = word(4);
  const auto term_count = word(4);
  if (!count || !key_count || !term_count) return std::nullopt;
  // Every group takes at least its count: a group count beyond that is damage.
  if (*count > (bytes.size() - pos) / 8) return std::nullopt;
  std::vector<RangedGroup> groups;
  groups.reserve(*count);
  for (uint64_t g = 0; g < *count; ++g) {
    RangedGroup group;
    for (uint64_t k = 0; k < *key_count; ++k) {
      const size_t end = bytes.find('\0', pos);
      if (end == std::string_view::npos) return std::nullopt;
      group.keys.emplace_back(bytes.substr(pos, end - pos));
      pos = end + 1;
    }
    for (uint64_t t = 0; t <= *term_count; ++t) {
      const auto value = word(8);
      if (!value) return std::nullopt;
      if (t < *term_count) {
        group.sums.push_back(static_cast<int64_t>(*value));
      } else {
        group.count = static_cast<int64_t>(*value);
      }
    }
    groups.push_back(std::move(group));
  }
  if (pos != bytes.size()) return std::nullopt;
  return groups;
}

}  // namespace pcshop::calls
