#pragma once
// A table layout that grows: a file whose fields are the first fields of a
// newer layout gains the rest in place, records kept, in one transaction.

#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "runtime/tables/table_types.h"

namespace pcshop::tables {

// Brings the table at `file` to `fields`. Ok(false) when it already has them
// (names and type codes; widths are not compared), Ok(true) when the missing
// fields were added. Any other layout (a field renamed, retyped or extra, or
// not a table at all) is refused with InvalidArgument and left untouched.
// Ok when `have` is `want` or its beginning (names and type codes), else the
// reason, beginning with `label`.
[[nodiscard]] Status CheckFieldPrefix(std::string_view label, const std::vector<FieldSpec>& have,
                                      std::span<const FieldSpec> want);

[[nodiscard]] Result<bool> UpgradeTableFile(const std::filesystem::path& file,
                                            std::span<const FieldSpec> fields);

}  // namespace pcshop::tables
