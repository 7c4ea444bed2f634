#pragma once
// The one place where GBK bytes meet Unicode. Texts inside the runtime and the
// application are GBK byte strings; conversion happens only at the edges
// (widgets, file paths, pinyin), through ICU's "GBK" converter.

#include <string>
#include <string_view>

#include "base/status.h"

namespace pcshop::text {

// Strict conversions: an invalid or truncated GBK sequence, or a character GBK
// cannot hold, is an InvalidArgument error naming the byte offset.
Result<std::string> GbkToUtf8(std::string_view gbk);
Result<std::string> Utf8ToGbk(std::string_view utf8);
Result<std::u16string> GbkToUtf16(std::string_view gbk);
Result<std::string> Utf16ToGbk(std::u16string_view utf16);

// A document's or a workbook's text in UTF-8, or an InvalidArgument error
// that names it: "<owner>: <what> is not valid GBK (<why>)".
Result<std::string> NamedGbkToUtf8(std::string_view owner, std::string_view what,
                                   std::string_view gbk);

// For display only: every invalid sequence becomes U+FFFD, never an error.
std::u16string GbkToUtf16Lossy(std::string_view gbk);

// True when `b` starts a two-byte GBK character (0x81..0xFE).
constexpr bool IsGbkLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Length of the longest prefix of `gbk` that is at most `max_bytes` long and
// does not end inside a two-byte character.
size_t GbkBoundaryAtOrBefore(std::string_view gbk, size_t max_bytes);

}  // namespace pcshop::text
