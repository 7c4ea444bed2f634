#pragma once
// The result of ReadMatching as it crosses the call interface: a binary
// value whose bytes are the row count and the field count (32-bit
// little-endian), then per row each field as its length (32-bit
// little-endian) and its bytes; integer fields as decimal text. The runtime
// writes it, the application reads it; both use this file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/calls/group_sums.h"

namespace pcshop::calls {

using TextRow = std::vector<std::string>;

// `rows` all have `field_count` cells.
inline std::string EncodeTextRows(uint32_t field_count, const std::vector<TextRow>& rows) {
  std::string out;
  AppendWord(out, rows.size(), 4);
  AppendWord(out, field_count, 4);
  for (const TextRow& row : rows) {
    for (const std::string& cell : row) {
      AppendWord(out, cell.size(), 4);
      out.append(cell);
    }
  }
  return out;
}

// The rows, or nothing when the bytes are not such a result.
inline std::optional<std::vector<TextRow>> DecodeTextRows(std::string_view bytes) {
  size_t pos = 0;
  auto word = [&]() -> std::optional<uint32_t> {
    if (bytes.size() - pos < 4) return std::nullopt;
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[pos + i])) << (8 * i);
    }
    pos += 4;
    return v;
  };
  const auto count = word();
  const auto field_count = word();
  if (!count || !field_count) return std::nullopt;
  // Every cell takes at least its length word: a count beyond that is damage.
  if (uint64_t{*count} * *field_count * 4 > bytes.size() - pos) return std::nullopt;
  std::vector<TextRow> rows(*count);
  for (TextRow& row : rows) {
    row.reserve(*field_count);
    for (uint32_t f = 0; f < *field_count; ++f) {
      const auto length = word();
      if (!length || bytes.size() - pos < *length) return std::nullopt;
      row.emplace_back(bytes.substr(pos, *length));
      pos += *length;
    }
  }
  if (pos != bytes.size()) return std::nullopt;
  return rows;
}

}  // namespace pcshop::calls
