#pragma once
// Pinyin readings of GBK texts, through ICU's "Han-Latin; Latin-ASCII"
// transliterator. Creating that transliterator takes about a tenth of a
// second, so the runtime creates one PinyinReader and keeps it for the whole
// run; a reading then costs a few microseconds.
//
// What a reading looks like:
// - each Chinese character becomes its syllable in lower-case ASCII without
//   tone marks ("张" reads "zhang"), syllables separated by one space
//   ("张三" reads "zhang san");
// - ASCII passes through unchanged, letter case included ("A张3" reads
//   "A zhang3"); full-width and accented Latin letters and full-width
//   punctuation fold to their ASCII forms; any other character (symbols such
//   as "①") is kept as it is;
// - a text that is not valid GBK is an InvalidArgument error naming the byte
//   offset, never a partial reading.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <unicode/uversion.h>

#include "runtime/status.h"

// ICU's namespace is versioned; its own macros declare into the right one.
U_NAMESPACE_BEGIN
class Transliterator;
U_NAMESPACE_END

namespace pcshop::text {

class PinyinReader {
 public:
  [[nodiscard]] static Result<PinyinReader> Create();

  PinyinReader(PinyinReader&&) noexcept;
  PinyinReader& operator=(PinyinReader&&) noexcept;
  ~PinyinReader();

  // The reading of a GBK text, as GBK (in practice ASCII) bytes.
  [[nodiscard]] Result<std::string> Read(std::string_view gbk) const;

 private:
  explicit PinyinReader(std::unique_ptr<icu::Transliterator> transliterator);
  std::unique_ptr<icu::Transliterator> transliterator_;
};

// The text conversion service: mode 1 is the pinyin reading; any other mode
// is an InvalidArgument error.
[[nodiscard]] Result<std::string> ConvertText(const PinyinReader& reader, std::string_view gbk,
                                              int32_t mode);

// The initials walk over a name's bytes: an ASCII character is kept as it is,
// a double-byte character contributes the first byte of its reading. A
// character whose reading does not start with a single-byte character (a
// symbol without a reading) or that is not valid GBK contributes nothing.
// "张三" gives "zs", "A张3" gives "Az3".
std::string PinyinInitials(const PinyinReader& reader, std::string_view gbk);

}  // namespace pcshop::text
