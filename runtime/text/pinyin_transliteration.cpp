#include "runtime/text/pinyin_transliteration.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <utility>

#include "runtime/text/gbk_codec.h"

namespace pcshop::text {

Result<PinyinTransliterator> PinyinTransliterator::Create() {
  UErrorCode err = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> transliterator(icu::Transliterator::createInstance(
      icu::UnicodeString(u"Han-Latin; Latin-ASCII"), UTRANS_FORWARD, err));
  if (U_FAILURE(err) || !transliterator) {
    return Status::IOError(std::string("cannot create the pinyin transliterator: ") +
                           u_errorName(err));
  }
  return PinyinTransliterator(std::move(transliterator));
}

PinyinTransliterator::PinyinTransliterator(std::unique_ptr<icu::Transliterator> transliterator)
    : transliterator_(std::move(transliterator)) {}
PinyinTransliterator::PinyinTransliterator(PinyinTransliterator&&) noexcept = default;
PinyinTransliterator& PinyinTransliterator::operator=(PinyinTransliterator&&) noexcept = default;
PinyinTransliterator::~PinyinTransliterator() = default;

Result<std::string> PinyinTransliterator::Read(std::string_view gbk) const {
  auto utf16 = GbkToUtf16(gbk);
  if (!utf16.ok()) return utf16.status();
  return ReadUtf16(*utf16);
}

Result<std::string> PinyinTransliterator::ReadUtf16(std::u16string_view utf16) const {
  icu::UnicodeString text(utf16.data(), static_cast<int32_t>(utf16.size()));
  transliterator_->transliterate(text);
  return Utf16ToGbk(std::u16string_view(text.getBuffer(), static_cast<size_t>(text.length())));
}

}  // namespace pcshop::text
