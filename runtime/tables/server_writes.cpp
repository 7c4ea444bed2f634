// The writes of a table on the server, each one transaction that starts by
// raising the table's change counter.

#include "runtime/tables/server_writes.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "runtime/tables/server_schema.h"
#include "runtime/tables/server_table.h"
#include "runtime/tables/table_format.h"

namespace pcshop::tables {
namespace {

using Retry = ServerConnection::Retry;

PgParam ValueParam(const FieldValue& v) {
  if (const auto* text = std::get_if<std::string>(&v)) return BytesParam(*text);
  return Int8Param(std::get<int64_t>(v));
}

bool NoRowsChanged(const PGresult* r) { return std::strcmp(PQcmdTuples(const_cast<PGresult*>(r)), "0") == 0; }

}  // namespace

Result<int64_t> BeginWrite(ServerConnection& conn, int32_t table_id, std::string_view context) {
  const std::string id = std::to_string(table_id);
  // Nothing of it is kept when the connection drops, so it may run again.
  auto r = conn.RunText("BEGIN; WITH bump AS (UPDATE pcshop_tables SET version = version + 1 WHERE id = " +
                            id + " RETURNING version) SELECT version, pg_notify('" +
                            kChangesChannel + "', '" + id + "') FROM bump",
                        std::string(context) + ": locking", Retry::kOnce);
  if (!r.ok()) return r.status();
  if (PQntuples(r->get()) != 1) {
    return Status::NotFound(std::string(context) + ": the table is no longer on the server");
  }
  const char* text = PQgetvalue(r->get(), 0, 0);
  int64_t version = 0;
  std::from_chars(text, text + std::strlen(text), version);
  return version;
}

Status ServerTable::RunWrite(std::string_view op, const std::function<Status()>& body) {
  const std::string context = Context(op);
  // Its BEGIN would be ignored and its failure would roll the snapshot back.
  if (conn_->in_snapshot()) {
    return Status::InvalidArgument(context + ": refused inside a read snapshot");
  }
  TakeNotices();
  auto fail = [&](Status s) {
    conn_->RollbackIfOpen();
    Forget();  // whatever the body kept may not have happened
    return s;
  };
  const Result<int64_t> version = BeginWrite(*conn_, id_, context);
  if (!version.ok()) return fail(version.status());
  // The counter's row lock is held: no other counter writes this table now,
  // so the list read here stays true until the commit.
  if (version_ < 0 || *version != version_ + 1) {
    if (Status s = ReloadIds(Retry::kNo); !s.ok()) return fail(s);
  }
  version_ = *version;
  if (Status s = body(); !s.ok()) return fail(s);
  if (auto r = conn_->RunText("COMMIT", context + ": committing", Retry::kNo); !r.ok()) {
    return fail(r.status());
  }
  seen_generation_ = conn_->generation();
  return Status::Ok();
}

std::string ServerTable::InsertSql(size_t rows) const {
  std::string sql = "INSERT INTO " + records_ + "(" + FieldColumnList(fields_.size()) + ") VALUES ";
  size_t n = 0;
  for (size_t r = 0; r < rows; ++r) {
    sql += r > 0 ? ", (" : "(";
    for (size_t i = 0; i < fields_.size(); ++i) sql += (i > 0 ? ", $" : "$") + std::to_string(++n);
    sql += ")";
  }
  return sql + " RETURNING id";
}

void ServerTable::AddRowParams(const std::vector<FieldValue>& row,
                               std::vector<PgParam>* params) const {
  for (const FieldValue& v : row) params->push_back(ValueParam(v));
}

void ServerTable::Appended(int64_t id, std::vector<FieldValue> row) {
  if (ids_.empty() || id > ids_.back()) {
    ids_.push_back(id);
  } else {
    Forget();  // ids only grow; should that ever fail, read them again
  }
  current_id_ = id;
  current_deleted_ = false;
  current_values_ = std::move(row);
}

Status ServerTable::AppendRecord(std::span<const FieldValue> values) {
  std::vector<OptionalValue> given(values.begin(), values.end());
  if (Status s = CheckValues(fields_, given, label_, "AppendRecord"); !s.ok()) return s;
  std::vector<FieldValue> row = PaddedRow(fields_, values);
  std::vector<PgParam> params;
  AddRowParams(row, &params);
  int64_t id = 0;
  Status s = RunWrite("AppendRecord", [&]() -> Status {
    auto r = conn_->Run(InsertSql(1), params, Context("AppendRecord"), Retry::kNo);
    if (!r.ok()) return r.status();
    id = CellInt8(r->get(), 0, 0);
    return Status::Ok();
  });
  if (!s.ok()) return s;
  Appended(id, std::move(row));
  return Status::Ok();
}

Result<bool> ServerTable::AppendUniqueRecord(std::span<const FieldValue> values,
                                             std::span<const size_t> key) {
  std::vector<OptionalValue> given(values.begin(), values.end());
  if (Status s = CheckValues(fields_, given, label_, "AppendRecord"); !s.ok()) return s;
  if (key.empty()) return Status::InvalidArgument(label_ + ": AppendRecord: no key field given");
  for (const size_t field : key) {
    if (field >= fields_.size()) {
      return Status::InvalidArgument(label_ + ": AppendRecord: no key field " +
                                     std::to_string(field + 1));
    }
  }
  std::vector<FieldValue> row = PaddedRow(fields_, values);
  std::vector<PgParam> params;
  AddRowParams(row, &params);
  // The test and the insert in one statement, under the counter's lock.
  std::string sql = "INSERT INTO " + records_ + "(" + FieldColumnList(fields_.size()) + ") SELECT ";
  for (size_t i = 0; i < fields_.size(); ++i) sql += (i > 0 ? ", $" : "$") + std::to_string(i + 1);
  sql += " WHERE NOT EXISTS (SELECT 1 FROM " + records_ + " WHERE true";
  for (const size_t field : key) sql += " AND " + FieldColumn(field) + " = $" + std::to_string(field + 1);
  sql += ") RETURNING id";
  int64_t id = 0;
  bool added = false;
  Status s = RunWrite("AppendRecord", [&]() -> Status {
    auto r = conn_->Run(sql, params, Context("AppendRecord"), Retry::kNo);
    if (!r.ok()) return r.status();
    added = PQntuples(r->get()) == 1;
    if (added) id = CellInt8(r->get(), 0, 0);
    return Status::Ok();
  });
  if (!s.ok()) return s;
  if (!added) return false;
  Appended(id, std::move(row));
  return true;
}

Status ServerTable::ModifyRecord(std::span<const OptionalValue> values) {
  if (Status s = CheckValues(fields_, values, label_, "ModifyRecord"); !s.ok()) return s;
  if (current_id_ == 0) return NoCurrentRecord("ModifyRecord");
  const int64_t id = current_id_;
  // A record written again is one the user kept: its mark goes.
  std::string sql = "UPDATE " + records_ + " SET deleted = false";
  std::vector<PgParam> params = {Int8Param(id)};
  for (size_t i = 0; i < values.size(); ++i) {
    if (!values[i]) continue;
    params.push_back(ValueParam(*values[i]));
    sql += ", " + FieldColumn(i) + " = $" + std::to_string(params.size());
  }
  sql += " WHERE id = $1 RETURNING " + SelectColumns();
  Row written;
  Status s = RunWrite("ModifyRecord", [&]() -> Status {
    auto r = conn_->Run(sql, params, Context("ModifyRecord"), Retry::kNo);
    if (!r.ok()) return r.status();
    if (PQntuples(r->get()) == 0) {
      return Status::NotFound(label_ + ": ModifyRecord: the current record was removed by another copy");
    }
    // Fields left out may have been changed by another counter: read back.
    written.id = id;
    return DecodeRow(r->get(), 0, 2, &written);
  });
  if (!s.ok()) return s;
  const int32_t pos = PositionOf(id);
  if (pos > 0 && static_cast<size_t>(pos - 1) >= page_first_ &&
      static_cast<size_t>(pos - 1) - page_first_ < page_.size()) {
    page_[static_cast<size_t>(pos - 1) - page_first_] = written;
  }
  Enter(written);
  return Status::Ok();
}

Status ServerTable::DeleteRecord() {
  if (current_id_ == 0) return NoCurrentRecord("DeleteRecord");
  const int64_t id = current_id_;
  const PgParam p[] = {Int8Param(id)};
  Status s = RunWrite("DeleteRecord", [&]() -> Status {
    auto r = conn_->Run("UPDATE " + records_ + " SET deleted = true WHERE id = $1", p,
                        Context("DeleteRecord"), Retry::kNo);
    if (!r.ok()) return r.status();
    if (NoRowsChanged(r->get())) {
      return Status::NotFound(label_ + ": DeleteRecord: the current record was removed by another copy");
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  for (Row& row : page_) {
    if (row.id == id) row.deleted = true;
  }
  current_deleted_ = true;
  return Status::Ok();
}

Status ServerTable::PurgeDeleted() {
  std::vector<int64_t> purged;
  Status s = RunWrite("PurgeDeleted", [&]() -> Status {
    auto r = conn_->Run("DELETE FROM " + records_ + " WHERE deleted RETURNING id", {},
                        Context("PurgeDeleted"), Retry::kNo);
    if (!r.ok()) return r.status();
    for (int row = 0; row < PQntuples(r->get()); ++row) purged.push_back(CellInt8(r->get(), row, 0));
    return Status::Ok();
  });
  if (!s.ok()) return s;
  std::sort(purged.begin(), purged.end());
  std::erase_if(ids_, [&](int64_t id) { return std::binary_search(purged.begin(), purged.end(), id); });
  page_.clear();
  if (std::binary_search(purged.begin(), purged.end(), current_id_)) LeaveRecord();
  return Status::Ok();
}

Status ServerTable::RemoveRecord() {
  if (current_id_ == 0) return NoCurrentRecord("RemoveRecord");
  const int64_t id = current_id_;
  const PgParam p[] = {Int8Param(id)};
  Status s = RunWrite("RemoveRecord", [&]() -> Status {
    auto r = conn_->Run("DELETE FROM " + records_ + " WHERE id = $1", p, Context("RemoveRecord"),
                        Retry::kNo);
    if (!r.ok()) return r.status();
    if (NoRowsChanged(r->get())) {
      return Status::NotFound(label_ + ": RemoveRecord: the current record was removed by another copy");
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  const auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
  if (it != ids_.end() && *it == id) ids_.erase(it);
  page_.clear();
  LeaveRecord();
  return Status::Ok();
}

Status ServerTable::AppendRecords(std::span<const std::vector<FieldValue>> records) {
  if (records.empty()) return Status::InvalidArgument(label_ + ": AppendRecords: no records");
  std::vector<std::vector<FieldValue>> rows;
  rows.reserve(records.size());
  for (size_t r = 0; r < records.size(); ++r) {
    std::vector<OptionalValue> given(records[r].begin(), records[r].end());
    if (Status s = CheckValues(fields_, given, label_, "AppendRecords, record " + std::to_string(r + 1));
        !s.ok()) {
      return s;
    }
    rows.push_back(PaddedRow(fields_, records[r]));
  }
  // Several rows per statement, within the server's limit on parameters.
  const size_t per_statement = std::clamp<size_t>(30000 / fields_.size(), 1, 1000);
  std::vector<int64_t> ids;
  ids.reserve(rows.size());
  Status s = RunWrite("AppendRecords", [&]() -> Status {
    for (size_t from = 0; from < rows.size(); from += per_statement) {
      const size_t count = std::min(per_statement, rows.size() - from);
      std::vector<PgParam> params;
      params.reserve(count * fields_.size());
      for (size_t r = from; r < from + count; ++r) AddRowParams(rows[r], &params);
      auto r = conn_->Run(InsertSql(count), params, Context("AppendRecords"), Retry::kNo);
      if (!r.ok()) return r.status();
      for (int row = 0; row < PQntuples(r->get()); ++row) ids.push_back(CellInt8(r->get(), row, 0));
    }
    return Status::Ok();
  });
  if (!s.ok()) return s;
  // The rows of one VALUES list take their ids in order.
  for (size_t r = 0; r < rows.size(); ++r) Appended(ids[r], std::move(rows[r]));
  return Status::Ok();
}

Status ServerTable::WriteRecords(std::span<const RecordWrite> writes) {
  if (writes.empty()) return Status::InvalidArgument(label_ + ": WriteRecords: no records");
  // Record numbers become ids as this counter last listed them: a record
  // another counter removed since is then not found, and nothing is written.
  if (Status s = EnsureIds(); !s.ok()) return s;
  std::vector<int64_t> ids(writes.size(), 0);
  for (size_t w = 0; w < writes.size(); ++w) {
    const RecordWrite& write = writes[w];
    const std::string what = "WriteRecords, record " + std::to_string(w + 1);
    if (Status s = CheckValues(fields_, write.values, label_, what); !s.ok()) return s;
    if (write.record < 0 || write.record > static_cast<int64_t>(ids_.size())) {
      return Status::NotFound(label_ + ": " + what + ": no record " + std::to_string(write.record));
    }
    if (write.record > 0) ids[w] = ids_[static_cast<size_t>(write.record - 1)];
  }
  Status s = RunWrite("WriteRecords", [&]() -> Status {
    for (size_t w = 0; w < writes.size(); ++w) {
      std::vector<PgParam> params;
      std::string sql;
      if (writes[w].record == 0) {
        AddRowParams(AppendedRow(fields_, writes[w].values), &params);
        sql = InsertSql(1);
      } else {
        params.push_back(Int8Param(ids[w]));
        sql = "UPDATE " + records_ + " SET deleted = false";
        const std::vector<OptionalValue>& values = writes[w].values;
        for (size_t i = 0; i < values.size(); ++i) {
          if (!values[i]) continue;
          params.push_back(ValueParam(*values[i]));
          sql += ", " + FieldColumn(i) + " = $" + std::to_string(params.size());
        }
        sql += " WHERE id = $1 RETURNING id";
      }
      auto r = conn_->Run(sql, params, Context("WriteRecords"), Retry::kNo);
      if (!r.ok()) return r.status();
      if (PQntuples(r->get()) == 0) {
        return Status::NotFound(label_ + ": WriteRecords: record " +
                                std::to_string(writes[w].record) + " was removed by another copy");
      }
    }
    return Status::Ok();
  });
  // The list of ids and the page are read again at the next move.
  Forget();
  LeaveRecord();
  return s;
}

}  // namespace pcshop::tables
