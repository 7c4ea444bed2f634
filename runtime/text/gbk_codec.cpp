#include "runtime/text/gbk_codec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <vector>

namespace pcshop::text {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU keeps the converter tables cached process-wide, so opening one per call
// costs little and keeps this file free of shared mutable state.
Result<Converter> OpenGbk(bool strict) {
  UErrorCode err = U_ZERO_ERROR;
  Converter conv(ucnv_open("GBK", &err));
  if (U_FAILURE(err) || !conv) {
    return Status::IOError(std::string("cannot open the GBK converter: ") + u_errorName(err));
  }
  if (strict) {
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  } else {
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr,
                        &err);
  }
  if (U_FAILURE(err)) return Status::IOError("cannot configure the GBK converter");
  return conv;
}

// Offset of the first byte that does not form a valid GBK sequence; used only
// to make the error message precise.
size_t FirstBadOffset(std::string_view gbk) {
  for (size_t i = 0; i < gbk.size();) {
    const auto b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      ++i;
    } else if (IsGbkLeadByte(b) && i + 1 < gbk.size()) {
      const auto t = static_cast<unsigned char>(gbk[i + 1]);
      if (t < 0x40 || t == 0x7F || t == 0xFF) return i;
      i += 2;
    } else {
      return i;
    }
  }
  return gbk.size();
}

// GBK's single bytes are ASCII. Lists hold mostly numbers and Latin names,
// so such texts skip the converter, whose opening costs more than the rest.
bool IsAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool IsAscii(std::u16string_view units) {
  for (char16_t u : units) {
    if (u >= 0x80) return false;
  }
  return true;
}

Result<std::u16string> ToUtf16(std::string_view gbk, bool strict) {
  if (IsAscii(gbk)) return std::u16string(gbk.begin(), gbk.end());
  auto conv = OpenGbk(strict);
  if (!conv.ok()) return conv.status();
  std::u16string out(gbk.size() + 1, u'\0');
  UErrorCode err = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(conv->get(), out.data(), static_cast<int32_t>(out.size()),
                                  gbk.data(), static_cast<int32_t>(gbk.size()), &err);
  if (U_FAILURE(err)) {
    return Status::InvalidArgument("invalid GBK text at byte " +
                                   std::to_string(FirstBadOffset(gbk)));
  }
  out.resize(static_cast<size_t>(n));
  return out;
}

}  // namespace

Result<std::u16string> GbkToUtf16(std::string_view gbk) { return ToUtf16(gbk, true); }

std::u16string GbkToUtf16Lossy(std::string_view gbk) {
  auto r = ToUtf16(gbk, false);
  return r.ok() ? std::move(r).value() : std::u16string();
}

Result<std::string> Utf16ToGbk(std::u16string_view utf16) {
  if (IsAscii(utf16)) {
    std::string out(utf16.size(), '\0');
    for (size_t i = 0; i < utf16.size(); ++i) out[i] = static_cast<char>(utf16[i]);
    return out;
  }
  auto conv = OpenGbk(true);
  if (!conv.ok()) return conv.status();
  // A UTF-16 unit never needs more than two GBK bytes (surrogate pairs give
  // at most four bytes for two units).
  std::string out(utf16.size() * 2 + 1, '\0');
  UErrorCode err = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(conv->get(), out.data(), static_cast<int32_t>(out.size()),
                                    utf16.data(), static_cast<int32_t>(utf16.size()), &err);
  if (U_FAILURE(err)) return Status::InvalidArgument("text has a character GBK cannot hold");
  out.resize(static_cast<size_t>(n));
  return out;
}

Result<std::string> GbkToUtf8(std::string_view gbk) {
  auto u16 = GbkToUtf16(gbk);
  if (!u16.ok()) return u16.status();
  UErrorCode err = U_ZERO_ERROR;
  std::string out(u16->size() * 3 + 1, '\0');
  UConverter* utf8 = ucnv_open("UTF-8", &err);
  Converter conv(utf8);
  if (U_FAILURE(err)) return Status::IOError("cannot open the UTF-8 converter");
  const int32_t n = ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()),
                                    u16->data(), static_cast<int32_t>(u16->size()), &err);
  if (U_FAILURE(err)) return Status::InvalidArgument("cannot convert text to UTF-8");
  out.resize(static_cast<size_t>(n));
  return out;
}

Result<std::string> NamedGbkToUtf8(std::string_view owner, std::string_view what,
                                   std::string_view gbk) {
  Result<std::string> utf8 = GbkToUtf8(gbk);
  if (utf8.ok()) return utf8;
  return Status::InvalidArgument(std::string(owner) + ": " + std::string(what) +
                                 " is not valid GBK (" + utf8.status().message() + ")");
}

Result<std::string> Utf8ToGbk(std::string_view utf8) {
  UErrorCode err = U_ZERO_ERROR;
  Converter conv(ucnv_open("UTF-8", &err));
  if (U_FAILURE(err)) return Status::IOError("cannot open the UTF-8 converter");
  ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  std::u16string u16(utf8.size() + 1, u'\0');
  const int32_t n = ucnv_toUChars(conv.get(), u16.data(), static_cast<int32_t>(u16.size()),
                                  utf8.data(), static_cast<int32_t>(utf8.size()), &err);
  if (U_FAILURE(err)) return Status::InvalidArgument("invalid UTF-8 text");
  u16.resize(static_cast<size_t>(n));
  return Utf16ToGbk(u16);
}

size_t GbkBoundaryAtOrBefore(std::string_view gbk, size_t max_bytes) {
  size_t i = 0;
  while (i < gbk.size()) {
    const size_t step =
        (IsGbkLeadByte(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size()) ? 2 : 1;
    if (i + step > max_bytes) break;
    i += step;
  }
  return i;
}

}  // namespace pcshop::text
