#include "runtime/dll/text_functions.h"

#include <cstring>

#include "runtime/text/gbk_codec.h"

namespace pcshop::dll {

std::string RemoveBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

void PathRemoveBlanksA(char* text) {
  if (text == nullptr) return;
  const std::string trimmed = RemoveBlanks(text);
  // Never longer than the original, so it fits where it came from.
  std::memcpy(text, trimmed.c_str(), trimmed.size() + 1);
}

char* lstrcpyn(char* dest, const char* src, int32_t max_length) {
  if (max_length <= 0) return dest;
  if (dest == nullptr || src == nullptr) return nullptr;
  const auto limit = static_cast<size_t>(max_length);
  // Looks at most one byte past what may be copied: enough to know whether the
  // text is cut, and still inside the text (that byte is its terminator or
  // part of it).
  size_t seen = 0;
  while (seen < limit && src[seen] != '\0') ++seen;
  size_t count = seen;
  if (seen == limit) {
    count = text::GbkBoundaryAtOrBefore(std::string_view(src, seen), limit - 1);
  }
  std::memmove(dest, src, count);  // dest and src may be the same buffer
  dest[count] = '\0';
  return dest;
}

}  // namespace pcshop::dll
