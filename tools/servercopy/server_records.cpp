#include "tools/servercopy/server_records.h"

#include <string>

#include "runtime/tables/table_format.h"
#include "tools/servercopy/server_schema.h"

namespace pcshop::servercopy {
namespace {

using tables::FieldSpec;

constexpr const char* kCursor = "pcshop_copy_rows";
constexpr int kPageRows = 2000;
constexpr size_t kCopyChunk = 1 << 20;

// PostgreSQL's binary COPY stream: a signature, flags and extension length,
// then per row a 16-bit field count and per field a 32-bit length and the
// value's binary form; a count of -1 ends it.
constexpr char kCopySignature[] = "PGCOPY\n\377\r\n";  // with its closing '\0': 11 bytes

void AppendRecord(std::string& out, const CopyRecord& rec) {
  AppendBigEndian(out, rec.values.size() + 2, 2);
  AppendBigEndian(out, 8, 4);
  AppendBigEndian(out, static_cast<uint64_t>(rec.id), 8);
  AppendBigEndian(out, 1, 4);
  out += rec.deleted ? '\1' : '\0';
  for (const tables::FieldValue& v : rec.values) {
    if (const auto* text = std::get_if<std::string>(&v)) {
      AppendBigEndian(out, text->size(), 4);
      out += *text;
    } else {
      AppendBigEndian(out, 8, 4);
      AppendBigEndian(out, static_cast<uint64_t>(std::get<int64_t>(v)), 8);
    }
  }
}

Status Send(PGconn* conn, std::string& buf) {
  if (PQputCopyData(conn, buf.data(), static_cast<int>(buf.size())) != 1) {
    return ServerError(conn, nullptr, "sending records");
  }
  buf.clear();
  return Status::Ok();
}

// Ends the COPY (with `abort_reason` it is thrown away) and collects its result.
Status EndCopy(PGconn* conn, const char* abort_reason, std::string_view what) {
  Status s;
  if (PQputCopyEnd(conn, abort_reason) != 1) s = ServerError(conn, nullptr, what);
  while (PGresult* raw = PQgetResult(conn)) {
    PgResult res(raw);
    if (s.ok() && abort_reason == nullptr && PQresultStatus(raw) != PGRES_COMMAND_OK) {
      s = ServerError(conn, raw, what);
    }
  }
  return s;
}

}  // namespace

Result<int64_t> CopyRecordsIn(PGconn* conn, int64_t id, const std::vector<FieldSpec>& fields,
                              RecordSource& rows) {
  const std::string table = RecordsTable(id);
  const std::string what = "copying the records into " + table;
  {
    PgResult start(PQexec(conn, ("COPY " + table + " (id, deleted, " +
                                 tables::FieldColumnList(fields.size()) +
                                 ") FROM STDIN (FORMAT binary)")
                                    .c_str()));
    if (!start || PQresultStatus(start.get()) != PGRES_COPY_IN) {
      return ServerError(conn, start.get(), what);
    }
  }
  std::string buf(kCopySignature, sizeof kCopySignature);
  AppendBigEndian(buf, 0, 4);  // flags
  AppendBigEndian(buf, 0, 4);  // header extension length
  CopyRecord rec;
  int64_t count = 0;
  for (;;) {
    auto more = rows.Next(rec);
    if (!more.ok()) {
      (void)EndCopy(conn, "the source could not be read", what);
      return more.status();
    }
    if (!*more) break;
    if (rec.values.size() != fields.size()) {
      (void)EndCopy(conn, "a record of the wrong shape", what);
      return Status::Corruption(what + ": record id " + std::to_string(rec.id) + " has " +
                                std::to_string(rec.values.size()) + " fields");
    }
    AppendRecord(buf, rec);
    ++count;
    if (buf.size() >= kCopyChunk) {
      if (Status s = Send(conn, buf); !s.ok()) {
        (void)EndCopy(conn, "sending failed", what);
        return s;
      }
    }
  }
  AppendBigEndian(buf, 0xFFFF, 2);
  if (Status s = Send(conn, buf); !s.ok()) {
    (void)EndCopy(conn, "sending failed", what);
    return s;
  }
  if (Status s = EndCopy(conn, nullptr, what); !s.ok()) return s;
  return count;
}

Result<std::unique_ptr<ServerRecordReader>> ServerRecordReader::Open(
    PGconn* conn, int64_t id, const std::vector<FieldSpec>& fields) {
  const std::string sql = std::string("DECLARE ") + kCursor +
                          " BINARY NO SCROLL CURSOR FOR SELECT id, deleted, " +
                          tables::FieldColumnList(fields.size()) + " FROM " + RecordsTable(id) +
                          " ORDER BY id";
  if (Status s = Exec(conn, sql, "reading " + RecordsTable(id)); !s.ok()) return s;
  return std::unique_ptr<ServerRecordReader>(new ServerRecordReader(conn, id, fields));
}

ServerRecordReader::~ServerRecordReader() {
  // A transaction that failed has dropped the cursor already; nothing to say then.
  (void)Exec(conn_, std::string("CLOSE ") + kCursor, "closing the cursor");
}

Status ServerRecordReader::Fetch() {
  auto page = Query(conn_, "FETCH FORWARD " + std::to_string(kPageRows) + " FROM " + kCursor,
                    "reading " + RecordsTable(id_));
  if (!page.ok()) return page.status();
  page_ = std::move(page).value();
  row_ = 0;
  if (PQntuples(page_.get()) == 0) {
    done_ = true;
    return Status::Ok();
  }
  const PGresult* r = page_.get();
  bool shaped = PQnfields(r) == static_cast<int>(fields_.size()) + 2 &&
                PQftype(r, 0) == kInt8Oid && PQftype(r, 1) == kBoolOid;
  for (size_t i = 0; shaped && i < fields_.size(); ++i) {
    const Oid want = fields_[i].type_code == tables::kIntegerField ? kInt8Oid : kByteaOid;
    shaped = PQftype(r, static_cast<int>(i) + 2) == want;
  }
  for (int c = 0; shaped && c < PQnfields(r); ++c) shaped = PQfformat(r, c) == 1;
  if (!shaped) {
    return Status::Corruption(RecordsTable(id_) + ": its columns do not match its field list");
  }
  return Status::Ok();
}

Status ServerRecordReader::Decode(int row, CopyRecord& out) const {
  const PGresult* r = page_.get();
  const auto bad = [&](const std::string& what) {
    return Status::Corruption(RecordsTable(id_) + ": a record holds " + what);
  };
  for (int c = 0; c < PQnfields(r); ++c) {
    if (PQgetisnull(r, row, c)) return bad("an empty (NULL) value");
  }
  if (!BinaryInteger(r, row, 0, out.id)) return bad("an id that is not an integer");
  if (PQgetlength(r, row, 1) != 1) return bad("a delete mark that is not a boolean");
  out.deleted = PQgetvalue(r, row, 1)[0] != 0;
  out.values.resize(fields_.size());
  for (size_t i = 0; i < fields_.size(); ++i) {
    const int col = static_cast<int>(i) + 2;
    if (fields_[i].type_code == tables::kIntegerField) {
      int64_t v = 0;
      if (!BinaryInteger(r, row, col, v)) return bad("an integer field that is not an integer");
      out.values[i] = v;
    } else {
      out.values[i] = std::string(BinaryBytes(r, row, col));
    }
  }
  return Status::Ok();
}

Result<bool> ServerRecordReader::Next(CopyRecord& out) {
  if (done_) return false;
  if (!page_ || row_ >= PQntuples(page_.get())) {
    if (Status s = Fetch(); !s.ok()) return s;
    if (done_) return false;
  }
  if (Status s = Decode(row_, out); !s.ok()) return s;
  ++row_;
  return true;
}

}  // namespace pcshop::servercopy
