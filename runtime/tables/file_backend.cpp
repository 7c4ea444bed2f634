#include "runtime/tables/table.h"
#include "runtime/tables/table_file.h"
#include "runtime/tables/table_upgrade.h"

namespace pcshop::tables {

Status FileBackend::Create(const std::filesystem::path& file, std::span<const FieldSpec> fields) {
  return TableFile::Create(file, fields);
}

Result<std::unique_ptr<Table>> FileBackend::Open(const std::filesystem::path& file) {
  auto table = TableFile::Open(file);
  if (!table.ok()) return table.status();
  return std::unique_ptr<Table>(std::move(table).value());
}

Result<bool> FileBackend::Upgrade(const std::filesystem::path& file,
                                  std::span<const FieldSpec> fields) {
  return UpgradeTableFile(file, fields);
}

}  // namespace pcshop::tables
