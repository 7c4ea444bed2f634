#pragma once
// Reads one window from its JSON form file and the application's texts from
// texts.json. Every refusal names the file and the item at fault.

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "tools/mkimage/app_sources.h"

namespace pcshop::mkimage {

// `json` is the file's content, `file` its name for messages.
[[nodiscard]] Result<SourceWindow> LoadWindowForm(std::string_view json, std::string_view file);
[[nodiscard]] Result<std::vector<SourceText>> LoadTexts(std::string_view json,
                                                        std::string_view file);

}  // namespace pcshop::mkimage
