#pragma once
// Writing a whole file so that nobody sees half of it and a failed write
// loses nothing: the content goes into a temporary file beside the target,
// is forced to disk, and only then replaces the target. On any failure an
// existing target is left as it was and no temporary file stays behind.

#include <filesystem>
#include <functional>
#include <string_view>

#include "base/status.h"

namespace pcshop::files {

[[nodiscard]] Status WriteFileAtomically(const std::filesystem::path& path,
                                         std::string_view bytes);

// For writers that open a file by name themselves (a workbook library):
// `write` fills the temporary file at the path it is given, which exists and
// is empty; the result then replaces `path` as above.
[[nodiscard]] Status WriteFileThrough(
    const std::filesystem::path& path,
    const std::function<Status(const std::filesystem::path& temp)>& write);

}  // namespace pcshop::files
