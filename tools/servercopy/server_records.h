#pragma once
// The records of a server table: written with COPY in binary form (ids and
// marks as they come, texts as raw bytea, integers as bigint) and read back
// through a binary cursor a page at a time, in id order.

#include <libpq-fe.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "base/status.h"
#include "tools/servercopy/copy_record.h"
#include "tools/servercopy/pg_handle.h"

namespace pcshop::servercopy {

// Copies every record of `rows` into the empty records table of table `id`;
// the number copied. A failure of the source ends the COPY, so the server
// keeps none of it.
Result<int64_t> CopyRecordsIn(PGconn* conn, int64_t id,
                              const std::vector<tables::FieldSpec>& fields, RecordSource& rows);

// Reads table `id` inside the caller's transaction. One reader at a time
// per connection.
class ServerRecordReader : public RecordSource {
 public:
  static Result<std::unique_ptr<ServerRecordReader>> Open(
      PGconn* conn, int64_t id, const std::vector<tables::FieldSpec>& fields);
  ~ServerRecordReader() override;
  ServerRecordReader(const ServerRecordReader&) = delete;
  ServerRecordReader& operator=(const ServerRecordReader&) = delete;

  Result<bool> Next(CopyRecord& out) override;

 private:
  ServerRecordReader(PGconn* conn, int64_t id, const std::vector<tables::FieldSpec>& fields)
      : conn_(conn), id_(id), fields_(fields) {}
  Status Fetch();
  Status Decode(int row, CopyRecord& out) const;

  PGconn* conn_;
  int64_t id_;
  std::vector<tables::FieldSpec> fields_;
  PgResult page_;
  int row_ = 0;
  bool done_ = false;
};

}  // namespace pcshop::servercopy
