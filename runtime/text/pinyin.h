#pragma once
// Pinyin readings of GBK texts, as ICU's "Han-Latin; Latin-ASCII"
// transliterator reads them. A text of one two-byte character (what the
// customer window's initials walk asks for, one character at a time) is read
// from a table generated from that transliterator at build time, so the
// first reading of a run costs microseconds; any other text goes to the
// transliterator itself, which the reader creates the first time a text
// needs it (about a tenth of a second) and keeps.
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

#include "base/status.h"

namespace pcshop::text {

class PinyinTransliterator;

class PinyinReader {
 public:
  // Cheap: nothing of ICU is created here.
  [[nodiscard]] static Result<PinyinReader> Create();

  PinyinReader(PinyinReader&&) noexcept;
  PinyinReader& operator=(PinyinReader&&) noexcept;
  ~PinyinReader();

  // The reading of a GBK text, as GBK (in practice ASCII) bytes. Creates the
  // transliterator on first need, so a reader is for one thread at a time;
  // a failure to create it is an IOError for this text and is tried again
  // for the next.
  [[nodiscard]] Result<std::string> Read(std::string_view gbk) const;

  // Whether a text so far has needed the transliterator.
  bool HasTransliterator() const { return transliterator_ != nullptr; }

 private:
  PinyinReader();
  mutable std::unique_ptr<PinyinTransliterator> transliterator_;
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
