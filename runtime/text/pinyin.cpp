#include "runtime/text/pinyin.h"

#include <optional>
#include <utility>

#include "runtime/text/gbk_codec.h"
#include "runtime/text/pinyin_table.h"
#include "runtime/text/pinyin_transliteration.h"
#include "runtime/text/text_ops.h"

namespace pcshop::text {
namespace {

constexpr int32_t kPinyinMode = 1;

}  // namespace

Result<PinyinReader> PinyinReader::Create() {
  return PinyinReader();
}

PinyinReader::PinyinReader() = default;
PinyinReader::PinyinReader(PinyinReader&&) noexcept = default;
PinyinReader& PinyinReader::operator=(PinyinReader&&) noexcept = default;
PinyinReader::~PinyinReader() = default;

Result<std::string> PinyinReader::Read(std::string_view gbk) const {
  if (const std::optional<std::string_view> reading = TableReading(gbk)) {
    return std::string(*reading);
  }
  // A text that is not GBK fails here, before paying for the transliterator.
  auto utf16 = GbkToUtf16(gbk);
  if (!utf16.ok()) return utf16.status();
  if (!transliterator_) {
    Result<PinyinTransliterator> created = PinyinTransliterator::Create();
    if (!created.ok()) return created.status();
    transliterator_ = std::make_unique<PinyinTransliterator>(std::move(created).value());
  }
  return transliterator_->ReadUtf16(*utf16);
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
