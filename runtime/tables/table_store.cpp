#include "runtime/tables/table_store.h"

#include <algorithm>
#include <system_error>

#include "runtime/files/native_path.h"
#include "runtime/tables/table_upgrade.h"

namespace pcshop::tables {
namespace {

// Links and dots resolved where the file exists, plain lexical otherwise.
std::filesystem::path Normalised(const std::filesystem::path& native) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(native, ec);
  if (ec) p = std::filesystem::absolute(native, ec).lexically_normal();
  return p;
}

}  // namespace

struct TableStore::OpenEntry {
  std::string alias;
  std::filesystem::path normalised;
  std::unique_ptr<Table> file;
};

TableStore::TableStore() : backend_(std::make_unique<FileBackend>()) {}
TableStore::TableStore(std::unique_ptr<TableBackend> backend) : backend_(std::move(backend)) {}
TableStore::~TableStore() = default;

Status TableStore::UseBackend(std::unique_ptr<TableBackend> backend) {
  if (!tables_.empty() || snapshot_depth_ > 0) {
    return Status::InvalidArgument("the table store changes its backend only before a table is open");
  }
  backend_ = std::move(backend);
  return Status::Ok();
}

Status TableStore::CheckNotInCondition(std::string_view op) const {
  if (!in_condition_) return Status::Ok();
  return Status::InvalidArgument(std::string(op) +
                                 " cannot be called from inside a FindRecord condition");
}

Result<Table*> TableStore::Current(std::string_view op) const {
  if (current_ == nullptr) return Status::NotFound(std::string(op) + ": no current table");
  return current_->file.get();
}

Result<Table*> TableStore::CurrentForChange(std::string_view op) const {
  if (Status s = CheckNotInCondition(op); !s.ok()) return s;
  return Current(op);
}

Status TableStore::CheckNotInSnapshot(std::string_view op) const {
  if (snapshot_depth_ == 0) return Status::Ok();
  return Status::InvalidArgument(std::string(op) +
                                 " cannot be called inside a read snapshot: it only reads");
}

Result<Table*> TableStore::CurrentForWrite(std::string_view op) const {
  if (Status s = CheckNotInSnapshot(op); !s.ok()) return s;
  return CurrentForChange(op);
}

Status TableStore::CreateTable(std::string_view path, std::span<const FieldSpec> fields) {
  if (Status s = CheckNotInCondition("CreateTable"); !s.ok()) return s;
  if (Status s = CheckNotInSnapshot("CreateTable"); !s.ok()) return s;
  auto native = files::ToNativePath(path);
  if (!native.ok()) return Status::InvalidArgument("CreateTable: " + native.status().message());
  return backend_->Create(*native, fields);
}

Status TableStore::OpenTable(std::string_view path, std::string_view alias,
                             const OpenTableOptions& options) {
  if (Status s = CheckNotInCondition("OpenTable"); !s.ok()) return s;
  for (size_t i = 0; i < options.size(); ++i) {
    if (options[i]) {
      return Status::InvalidArgument("OpenTable: optional argument " + std::to_string(i + 3) +
                                     " is not supported");
    }
  }
  if (alias.empty()) return Status::InvalidArgument("OpenTable: empty alias");
  auto native = files::ToNativePath(path);
  if (!native.ok()) return Status::InvalidArgument("OpenTable: " + native.status().message());
  const std::filesystem::path normalised = Normalised(*native);
  for (const auto& entry : tables_) {
    if (entry->alias != alias) continue;
    if (entry->normalised != normalised) {
      return Status::InvalidArgument("OpenTable: alias " + Printable(alias) +
                                     " is already open for " + entry->normalised.string());
    }
    current_ = entry.get();  // already open: keep it as it is
    return Status::Ok();
  }
  auto file = backend_->Open(*native);
  if (!file.ok()) return file.status();
  if (snapshot_depth_ > 0) {
    if (Status s = (*file)->BeginSnapshot(); !s.ok()) return s;
  }
  tables_.push_back(std::make_unique<OpenEntry>(
      OpenEntry{std::string(alias), normalised, std::move(file).value()}));
  current_ = tables_.back().get();
  return Status::Ok();
}

Status TableStore::SelectTable(std::string_view alias_or_path) {
  if (Status s = CheckNotInCondition("SelectTable"); !s.ok()) return s;
  for (const auto& entry : tables_) {
    if (entry->alias == alias_or_path) {
      current_ = entry.get();
      return Status::Ok();
    }
  }
  if (auto native = files::ToNativePath(alias_or_path); native.ok()) {
    const std::filesystem::path normalised = Normalised(*native);
    for (const auto& entry : tables_) {
      if (entry->normalised == normalised) {
        current_ = entry.get();
        return Status::Ok();
      }
    }
  }
  current_ = nullptr;
  return Status::NotFound("SelectTable: no open table is named " + Printable(alias_or_path));
}

std::string TableStore::CurrentTableName() const {
  return current_ == nullptr ? std::string() : current_->alias;
}

Result<std::vector<FieldSpec>> TableStore::Fields() const {
  auto t = Current("Fields");
  if (!t.ok()) return t.status();
  return (*t)->fields();
}

Result<int32_t> TableStore::RecordCount() {
  auto t = Current("RecordCount");
  if (!t.ok()) return t.status();
  return (*t)->RecordCount();
}

Result<int32_t> TableStore::CurrentRecordNumber() {
  auto t = Current("CurrentRecordNumber");
  if (!t.ok()) return t.status();
  return (*t)->CurrentRecordNumber();
}

Status TableStore::GoFirst() {
  auto t = CurrentForChange("GoFirst");
  if (!t.ok()) return t.status();
  return (*t)->GoFirst();
}

Status TableStore::GoToRecord(int64_t n) {
  auto t = CurrentForChange("GoToRecord");
  if (!t.ok()) return t.status();
  return (*t)->GoToRecord(n);
}

Status TableStore::SkipRecords(int64_t n) {
  auto t = CurrentForChange("SkipRecords");
  if (!t.ok()) return t.status();
  return (*t)->SkipRecords(n);
}

Result<FieldValue> TableStore::ReadField(std::string_view name) {
  auto t = Current("ReadField");
  if (!t.ok()) return t.status();
  return (*t)->ReadField(name);
}

Result<FieldView> TableStore::ReadFieldView(std::string_view name) {
  auto t = Current("ReadField");
  if (!t.ok()) return t.status();
  return (*t)->ReadFieldView(name);
}

Result<bool> TableStore::IsDeleted() {
  auto t = Current("IsDeleted");
  if (!t.ok()) return t.status();
  return (*t)->IsDeleted();
}

Result<bool> TableStore::FindRecord(const std::function<bool()>& condition) {
  auto t = CurrentForChange("FindRecord");
  if (!t.ok()) return t.status();
  in_condition_ = true;
  auto found = (*t)->FindRecord(condition);
  in_condition_ = false;
  return found;
}

Status TableStore::AppendRecord(std::span<const FieldValue> values) {
  auto t = CurrentForWrite("AppendRecord");
  if (!t.ok()) return t.status();
  return (*t)->AppendRecord(values);
}

Result<bool> TableStore::AppendUniqueRecord(std::span<const FieldValue> values,
                                            std::span<const std::string> key_fields) {
  auto t = CurrentForWrite("AppendRecord");
  if (!t.ok()) return t.status();
  const std::vector<FieldSpec>& fields = (*t)->fields();
  std::vector<size_t> key;
  for (const std::string& name : key_fields) {
    const auto it = std::find_if(fields.begin(), fields.end(),
                                 [&](const FieldSpec& f) { return f.name == name; });
    if (it == fields.end()) {
      return Status::NotFound((*t)->Label() + ": AppendRecord: no key field named " +
                              Printable(name));
    }
    key.push_back(static_cast<size_t>(it - fields.begin()));
  }
  return (*t)->AppendUniqueRecord(values, key);
}

Status TableStore::ModifyRecord(std::span<const OptionalValue> values) {
  auto t = CurrentForWrite("ModifyRecord");
  if (!t.ok()) return t.status();
  return (*t)->ModifyRecord(values);
}

Status TableStore::DeleteRecord() {
  auto t = CurrentForWrite("DeleteRecord");
  if (!t.ok()) return t.status();
  return (*t)->DeleteRecord();
}

Status TableStore::PurgeDeleted() {
  auto t = CurrentForWrite("PurgeDeleted");
  if (!t.ok()) return t.status();
  return (*t)->PurgeDeleted();
}

Status TableStore::RemoveRecord() {
  auto t = CurrentForWrite("RemoveRecord");
  if (!t.ok()) return t.status();
  return (*t)->RemoveRecord();
}

Result<std::vector<GroupSum>> TableStore::SumGrouped(std::string_view sum_field,
                                                     std::span<const std::string> keys) {
  auto t = CurrentForChange("SumGrouped");
  if (!t.ok()) return t.status();
  return (*t)->SumGrouped(sum_field, keys);
}

Result<std::vector<RangedSum>> TableStore::SumInRange(std::string_view date_field, DayRange days,
                                                      std::span<const std::string> terms,
                                                      std::span<const std::string> keys) {
  auto t = CurrentForChange("SumInRange");
  if (!t.ok()) return t.status();
  return (*t)->SumInRange(date_field, days, terms, keys);
}

Result<int64_t> TableStore::ChangeCount() {
  auto t = CurrentForChange("ChangeCount");
  if (!t.ok()) return t.status();
  return (*t)->ChangeCount();
}

Result<std::vector<MatchingRow>> TableStore::ReadMatching(std::string_view match_field,
                                                          std::string_view value,
                                                          std::span<const std::string> chosen) {
  auto t = CurrentForChange("ReadMatching");
  if (!t.ok()) return t.status();
  return (*t)->ReadMatching(match_field, value, chosen);
}

Status TableStore::AppendRecords(std::span<const std::vector<FieldValue>> records) {
  auto t = CurrentForWrite("AppendRecords");
  if (!t.ok()) return t.status();
  return (*t)->AppendRecords(records);
}

Status TableStore::WriteRecords(std::span<const RecordWrite> writes) {
  auto t = CurrentForWrite("WriteRecords");
  if (!t.ok()) return t.status();
  return (*t)->WriteRecords(writes);
}

Status TableStore::UpgradeTable(std::string_view path, std::span<const FieldSpec> fields) {
  if (Status s = CheckNotInCondition("UpgradeTable"); !s.ok()) return s;
  if (Status s = CheckNotInSnapshot("UpgradeTable"); !s.ok()) return s;
  auto native = files::ToNativePath(path);
  if (!native.ok()) return Status::InvalidArgument("UpgradeTable: " + native.status().message());
  const Result<bool> upgraded = backend_->Upgrade(*native, fields);
  if (!upgraded.ok()) return upgraded.status();
  if (!*upgraded) return Status::Ok();
  const std::filesystem::path normalised = Normalised(*native);
  for (const auto& entry : tables_) {
    if (entry->normalised != normalised) continue;
    auto file = backend_->Open(*native);
    if (!file.ok()) return file.status();
    entry->file = std::move(file).value();
  }
  return Status::Ok();
}

Status TableStore::ReopenAround(const std::function<Status()>& change) {
  if (Status s = CheckNotInCondition("ReopenAround"); !s.ok()) return s;
  if (Status s = CheckNotInSnapshot("ReopenAround"); !s.ok()) return s;
  const std::string current = CurrentTableName();
  current_ = nullptr;
  for (auto& entry : tables_) entry->file.reset();
  const Status changed = change();
  Status reopened = Status::Ok();
  for (auto it = tables_.begin(); it != tables_.end();) {
    auto file = backend_->Open((*it)->normalised);
    if (file.ok()) {
      (*it)->file = std::move(file).value();
      if ((*it)->alias == current) current_ = it->get();
      ++it;
    } else {
      if (reopened.ok()) reopened = file.status();
      it = tables_.erase(it);
    }
  }
  return changed.ok() ? reopened : changed;
}

Result<bool> TableStore::NeedsUpgrade(std::string_view path, std::span<const FieldSpec> fields) {
  auto native = files::ToNativePath(path);
  if (!native.ok()) return Status::InvalidArgument("NeedsUpgrade: " + native.status().message());
  auto table = backend_->Open(*native);
  if (!table.ok()) return table.status();
  const std::vector<FieldSpec>& have = (*table)->fields();
  if (!CheckFieldPrefix("", have, fields).ok()) return false;
  return have.size() < fields.size();
}

Status TableStore::BeginSnapshot() {
  if (snapshot_depth_ > 0) {
    ++snapshot_depth_;
    return Status::Ok();
  }
  for (auto it = tables_.begin(); it != tables_.end(); ++it) {
    if (Status s = (*it)->file->BeginSnapshot(); !s.ok()) {
      for (auto begun = tables_.begin(); begun != it; ++begun) (*begun)->file->EndSnapshot();
      return s;
    }
  }
  snapshot_depth_ = 1;
  return Status::Ok();
}

void TableStore::EndSnapshot() {
  if (snapshot_depth_ == 0 || --snapshot_depth_ > 0) return;
  for (const auto& entry : tables_) entry->file->EndSnapshot();
}

}  // namespace pcshop::tables
