#pragma once
// The file side of the copy: a DATA folder's table files, read and checked
// whole, and new table files written in the table store's layout.

#include <filesystem>
#include <memory>
#include <vector>

#include "base/status.h"
#include "runtime/tables/sqlite_handle.h"
#include "tools/servercopy/copy_record.h"

namespace pcshop::servercopy {

// The table files of a folder (regular files named *.zdb, hidden ones
// left out: the table store builds new files under hidden names), by name.
Result<std::vector<std::filesystem::path>> ListTableFiles(const std::filesystem::path& folder);

// Reads the layout of a table file and checks every page of it. A file
// that is not a table or is damaged is an error naming it; the file is
// only read.
Result<std::vector<tables::FieldSpec>> CheckTableFile(const std::filesystem::path& file);

// The records of a table file in id order, read in one read transaction.
class FileRecordReader : public RecordSource {
 public:
  static Result<std::unique_ptr<FileRecordReader>> Open(const std::filesystem::path& file,
                                                        size_t field_count);
  Result<bool> Next(CopyRecord& out) override;

 private:
  FileRecordReader(tables::Connection db, tables::Statement select, std::filesystem::path file,
                   size_t field_count);
  tables::Connection db_;
  tables::Statement select_;
  std::filesystem::path file_;
  size_t field_count_;
};

// Fills the empty file `file` with a table of `fields` holding the records
// of `rows` (ids and marks as they come), in one transaction, synced. The
// number of records written.
Result<int64_t> WriteTableFile(const std::filesystem::path& file,
                               const std::vector<tables::FieldSpec>& fields, RecordSource& rows);

}  // namespace pcshop::servercopy
