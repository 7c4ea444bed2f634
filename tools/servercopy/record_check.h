#pragma once
// The check after a copy: the destination read back record by record and
// compared with the source, ids, delete marks and every field's exact bytes.

#include <cstdint>

#include "base/status.h"
#include "tools/servercopy/copy_record.h"

namespace pcshop::servercopy {

// The number of records when both sides hold the same records; otherwise a
// Corruption naming the table, the first record that differs and how, or
// both counts.
Result<int64_t> CheckSameRecords(const TableLayout& table, RecordSource& source,
                                 RecordSource& copy);

}  // namespace pcshop::servercopy
