#include "runtime/ui/gbk_qt.h"

#include <QStringDecoder>

#include "runtime/text/gbk_codec.h"

namespace pcshop::ui {
namespace {

std::u16string_view Units(const QString& s) {
  return {reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size())};
}

// Length in UTF-16 units of the character at `i`.
size_t CharAt(std::u16string_view units, size_t i) {
  return QChar::isHighSurrogate(units[i]) && i + 1 < units.size() &&
                 QChar::isLowSurrogate(units[i + 1])
             ? 2
             : 1;
}

}  // namespace

QString FromGbk(std::string_view gbk) {
  const std::u16string u = text::GbkToUtf16Lossy(gbk);
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

Result<std::string> ToGbk(const QString& text) {
  if (Result<std::string> whole = text::Utf16ToGbk(Units(text)); whole.ok()) return whole;
  const std::optional<QString> bad = FirstNonGbk(text);
  return Status::InvalidArgument("GBK cannot hold the character " +
                                 (bad ? bad->toStdString() : std::string("?")));
}

std::optional<size_t> GbkLength(const QString& text) {
  const Result<std::string> gbk = text::Utf16ToGbk(Units(text));
  if (!gbk.ok()) return std::nullopt;
  return gbk->size();
}

QString GbkPrefix(const QString& text, size_t max_bytes) {
  const Result<std::string> gbk = text::Utf16ToGbk(Units(text));
  if (!gbk.ok()) return QString();
  return FromGbk(std::string_view(*gbk).substr(0, text::GbkBoundaryAtOrBefore(*gbk, max_bytes)));
}

std::optional<QString> FirstNonGbk(const QString& text) {
  const std::u16string_view units = Units(text);
  for (size_t i = 0; i < units.size();) {
    const size_t n = CharAt(units, i);
    if (!text::Utf16ToGbk(units.substr(i, n)).ok()) {
      const char32_t code = n == 2 ? QChar::surrogateToUcs4(units[i], units[i + 1]) : units[i];
      return QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QChar('0')).toUpper();
    }
    i += n;
  }
  return std::nullopt;
}

QString FromUtf8OrGbk(std::string_view text) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  return utf8.hasError() ? FromGbk(text) : decoded;
}

bool NameMatches(std::string_view gbk_name, std::string_view name) {
  if (gbk_name == name) return true;
  const Result<std::string> converted = text::Utf8ToGbk(name);
  return converted.ok() && *converted == gbk_name;
}

}  // namespace pcshop::ui
