#pragma once
// How a table lies in its SQLite file. One file per table:
//   fields(pos, name, type, width)   the field list, pos from 1, name as GBK bytes
//   records(id, deleted, c1 .. cN)   one row per record; ci holds field i
// Record numbers are not stored: record n is the n-th row in id order, and
// ids only grow, so the order is the order of insertion. Texts are blobs,
// integers 64-bit; both tables are STRICT so SQLite itself refuses a value
// of the wrong kind. The header's application id marks the file as ours.
// Layout 1 held integers to 32 bits by a check on each column; opening such
// a file widens it to layout 2.

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/status.h"
#include "runtime/tables/table_types.h"

namespace pcshop::tables {

inline constexpr int32_t kApplicationId = 0x50435A44;  // "PCZD"
inline constexpr int32_t kFormatVersion = 2;           // PRAGMA user_version
inline constexpr int32_t kThirtyTwoBitFormatVersion = 1;

// Column of field i (0-based) in the records table.
std::string FieldColumn(size_t i);
// Binds a field's value: a text as a blob, an integer as one.
void BindValue(sqlite3_stmt* stmt, int index, const FieldValue& value);

// "c1, c2, ..., cN".
std::string FieldColumnList(size_t count);

// The records table's column for field i: its type, default and range.
std::string FieldColumnDefinition(size_t i, const FieldSpec& field);

// Writes the header marks and both tables into an empty database, in one
// transaction.
Status WriteTableSchema(sqlite3* db, std::span<const FieldSpec> fields,
                        const std::filesystem::path& file);

// Reads and checks the layout of an opened file, of either layout. Only
// reads: a file that is not a table is refused with an InvalidArgument
// naming the file and the reason, and is left exactly as it was.
Result<std::vector<FieldSpec>> ReadTableSchema(sqlite3* db, const std::filesystem::path& file);

// Turns a layout-1 file into layout 2 in one transaction (records and their
// ids unchanged, the 32-bit checks gone); a layout-2 file is left alone. On
// failure (a read-only file, a lock held too long) the file stays as it was.
Status WidenIntegers(sqlite3* db, std::span<const FieldSpec> fields,
                     const std::filesystem::path& file);

}  // namespace pcshop::tables
