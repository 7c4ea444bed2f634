#pragma once
// Tests write their texts in UTF-8 and hand the services GBK bytes.

#include <string>
#include <string_view>

#include "runtime/text/gbk_codec.h"

namespace pcshop::text {

inline std::string Gbk(std::string_view utf8) { return Utf8ToGbk(utf8).value(); }

}  // namespace pcshop::text
