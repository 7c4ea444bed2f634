#include "runtime/text/pinyin.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <utility>

#include "runtime/text/gbk_codec.h"
#include "runtime/text/text_ops.h"

namespace pcshop::text {
namespace {

constexpr int32_t kPinyinMode = 1;

}  // namespace

Result<PinyinReader> PinyinReader::Create() {
  UErrorCode err = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> transliterator(icu::Transliterator::createInstance(
      icu::UnicodeString(u"Han-Latin; Latin-ASCII"), UTRANS_FORWARD, err));
  if (U_FAILURE(err) || !transliterator) {
    return Status::IOError(std::string("cannot create the pinyin transliterator: ") +
                           u_errorName(err));
  }
  return PinyinReader(std::move(transliterator));
}

PinyinReader::PinyinReader(std::unique_ptr<icu::Transliterator> transliterator)
    : transliterator_(std::move(transliterator)) {}
PinyinReader::PinyinReader(PinyinReader&&) noexcept = default;
PinyinReader& PinyinReader::operator=(PinyinReader&&) noexcept = default;
PinyinReader::~PinyinReader() = default;

Result<std::string> PinyinReader::Read(std::string_view gbk) const {
  auto utf16 = GbkToUtf16(gbk);
  if (!utf16.ok()) return utf16.status();
  icu::UnicodeString text(utf16->data(), static_cast<int32_t>(utf16->size()));
  transliterator_->transliterate(text);
  return Utf16ToGbk(std::u16string_view(text.getBuffer(), static_cast<size_t>(text.length())));
}

Result<std::string> ConvertText(const PinyinReader& reader, std::string_view gbk, int32_t mode) {
  if (mode != kPinyinMode) {
    return Status::InvalidArgument("text conversion mode " + std::to_string(mode) +
                                   " is not supported");
  }
  return reader.Read(gbk);
}

std::string PinyinInitials(const PinyinReader& reader, std::string_view gbk) {
  std::string initials;
  const int32_t length = TextLength(gbk);
  for (int32_t p = 1; p <= length;) {
    const int32_t code = CharCode(gbk, p);
    if (code >= 0) {
      // A byte of 0x80 or above standing alone is not a GBK character.
      if (code < 0x80) initials += static_cast<char>(code);
      ++p;
      continue;
    }
    auto reading = reader.Read(MidText(gbk, p, 2));
    if (reading.ok()) initials += LeftText(*reading, 1);
    p += 2;
  }
  return initials;
}

}  // namespace pcshop::text
