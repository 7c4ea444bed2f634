#pragma once
// Copying a file so that nobody sees half of it: the bytes go into a temporary
// file beside the target, are forced to disk, and only then get the target's
// name. With `replace_existing` false an existing target is never touched, and
// the check is part of the final step, so a target that appears meanwhile is
// not overwritten either.

#include <filesystem>

#include "base/status.h"

namespace pcshop::files {

[[nodiscard]] Status CopyFileAtomically(const std::filesystem::path& from,
                                        const std::filesystem::path& to, bool replace_existing);

}  // namespace pcshop::files
