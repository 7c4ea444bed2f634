#pragma once
// The result of SumGrouped as it crosses the call interface: a binary value
// whose bytes are the group count and key count (32-bit little-endian), then
// per group each key as its bytes and a zero byte, then the sum as a 64-bit
// little-endian integer. GBK texts hold no zero byte, so the keys need no
// length. The runtime writes it, the application reads it; both use this file.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pcshop::calls {

struct KeyedSum {
  std::vector<std::string> keys;
  int64_t sum = 0;
};

inline void AppendWord(std::string& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// `groups` all have `key_count` keys without zero bytes.
inline std::string EncodeKeyedSums(uint32_t key_count, const std::vector<KeyedSum>& groups) {
  std::string out;
  AppendWord(out, groups.size(), 4);
  AppendWord(out, key_count, 4);
  for (const KeyedSum& g : groups) {
    for (const std::string& key : g.keys) out.append(key).push_back('\0');
    AppendWord(out, static_cast<uint64_t>(g.sum), 8);
  }
  return out;
}

// The groups, or nothing when the bytes are not such a result.
inline std::optional<std::vector<KeyedSum>> DecodeKeyedSums(std::string_view bytes) {
  auto word = [&](size_t& pos, int width) -> std::optional<uint64_t> {
    if (bytes.size() - pos < static_cast<size_t>(width)) return std::nullopt;
    uint64_t v = 0;
    for (int i = 0; i < width; ++i) {
      v |= static_cast<uint64_t>(static_cast<uint8_t>(bytes[pos + i])) << (8 * i);
    }
    pos += static_cast<size_t>(width);
    return v;
  };
  size_t pos = 0;
  const auto count = word(pos, 4);
  const auto key_count = word(pos, 4);
  if (!count || !key_count) return std::nullopt;
  std::vector<KeyedSum> groups;
  for (uint64_t g = 0; g < *count; ++g) {
    KeyedSum sum;
    for (uint64_t k = 0; k < *key_count; ++k) {
      const size_t end = bytes.find('\0', pos);
      if (end == std::string_view::npos) return std::nullopt;
      sum.keys.emplace_back(bytes.substr(pos, end - pos));
      pos = end + 1;
    }
    const auto value = word(pos, 8);
    if (!value) return std::nullopt;
    sum.sum = static_cast<int64_t>(*value);
    groups.push_back(std::move(sum));
  }
  if (pos != bytes.size()) return std::nullopt;
  return groups;
}

}  // namespace pcshop::calls
