#include "runtime/text/text_ops.h"

#include <algorithm>
#include <limits>

#include "runtime/text/gbk_codec.h"

namespace pcshop::text {
namespace {

// Bytes of the character starting at `i` (i < text.size()).
size_t CharWidthAt(std::string_view text, size_t i) {
  return (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}

// The characters lying wholly inside the byte range [begin, end), both
// already clamped to [0, text.size()].
std::string WholeCharacters(std::string_view text, size_t begin, size_t end) {
  size_t i = 0;
  while (i < begin) i += CharWidthAt(text, i);
  const size_t from = i;
  while (i < text.size()) {
    const size_t width = CharWidthAt(text, i);
    if (i + width > end) break;
    i += width;
  }
  return from < i ? std::string(text.substr(from, i - from)) : std::string();
}

size_t ClampToText(std::string_view text, int64_t offset) {
  if (offset <= 0) return 0;
  return static_cast<size_t>(std::min<int64_t>(offset, static_cast<int64_t>(text.size())));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int32_t TextLength(std::string_view text) {
  constexpr auto kMax = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  return static_cast<int32_t>(std::min(text.size(), kMax));
}

std::string LeftText(std::string_view text, int32_t count) {
  if (count <= 0) return {};
  return WholeCharacters(text, 0, ClampToText(text, count));
}

std::string RightText(std::string_view text, int32_t count) {
  if (count <= 0) return {};
  const int64_t begin = static_cast<int64_t>(text.size()) - count;
  return WholeCharacters(text, ClampToText(text, begin), text.size());
}

std::string MidText(std::string_view text, int32_t start, int32_t length) {
  if (length <= 0) return {};
  const int64_t begin = static_cast<int64_t>(start) - 1;
  const int64_t end = begin + length;
  if (end <= 0 || begin >= static_cast<int64_t>(text.size())) return {};
  return WholeCharacters(text, ClampToText(text, begin), ClampToText(text, end));
}

int32_t CharCode(std::string_view text, int32_t position) {
  if (position < 1 || static_cast<size_t>(position) > text.size()) return 0;
  const auto i = static_cast<size_t>(position) - 1;
  const auto lead = static_cast<unsigned char>(text[i]);
  if (CharWidthAt(text, i) == 1) return lead;
  const auto trail = static_cast<unsigned char>(text[i + 1]);
  return -(lead * 256 + trail);
}

std::string NormalizeText(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace pcshop::text
