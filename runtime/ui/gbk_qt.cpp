#include "runtime/ui/gbk_qt.h"

#include "runtime/text/gbk_codec.h"

namespace pcshop::ui {
namespace {

std::u16string_view Units(const QString& s) {
  return {reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size())};
}

}  // namespace

QString FromGbk(std::string_view gbk) {
  const std::u16string u = text::GbkToUtf16Lossy(gbk);
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

std::string ToGbk(const QString& text) {
  const std::u16string_view units = Units(text);
  if (Result<std::string> whole = text::Utf16ToGbk(units); whole.ok()) return *whole;
  // Character by character, so one that GBK lacks costs only itself.
  std::string out;
  for (size_t i = 0; i < units.size();) {
    size_t n = 1;
    if (QChar::isHighSurrogate(units[i]) && i + 1 < units.size() &&
        QChar::isLowSurrogate(units[i + 1])) {
      n = 2;
    }
    const Result<std::string> one = text::Utf16ToGbk(units.substr(i, n));
    out += one.ok() ? *one : std::string("?");
    i += n;
  }
  return out;
}

size_t GbkLength(const QString& text) { return ToGbk(text).size(); }

bool NameMatches(std::string_view gbk_name, std::string_view name) {
  if (gbk_name == name) return true;
  const Result<std::string> converted = text::Utf8ToGbk(name);
  return converted.ok() && *converted == gbk_name;
}

}  // namespace pcshop::ui
