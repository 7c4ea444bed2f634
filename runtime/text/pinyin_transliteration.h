#pragma once
// ICU's "Han-Latin; Latin-ASCII" transliterator on GBK texts: the source of
// every pinyin reading. Creating it takes about a tenth of a second, so the
// runtime's PinyinReader creates one only for texts its table cannot answer,
// and the build reads every single character through it once to make that
// table (tools/pinyintable).

#include <unicode/uversion.h>

#include <memory>
#include <string>
#include <string_view>

#include "base/status.h"

// ICU's namespace is versioned; its own macros declare into the right one.
U_NAMESPACE_BEGIN
class Transliterator;
U_NAMESPACE_END

namespace pcshop::text {

class PinyinTransliterator {
 public:
  [[nodiscard]] static Result<PinyinTransliterator> Create();

  PinyinTransliterator(PinyinTransliterator&&) noexcept;
  PinyinTransliterator& operator=(PinyinTransliterator&&) noexcept;
  ~PinyinTransliterator();

  // The reading of a GBK text, as GBK bytes; a text that is not valid GBK is
  // an InvalidArgument error naming the byte offset.
  [[nodiscard]] Result<std::string> Read(std::string_view gbk) const;
  // The same for a text already decoded.
  [[nodiscard]] Result<std::string> ReadUtf16(std::u16string_view utf16) const;

 private:
  explicit PinyinTransliterator(std::unique_ptr<icu::Transliterator> transliterator);
  std::unique_ptr<icu::Transliterator> transliterator_;
};

}  // namespace pcshop::text
