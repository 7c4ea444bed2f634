#include "runtime/tables/server_backend.h"

#include <system_error>

#include "runtime/files/native_path.h"
#include "runtime/tables/server_schema.h"
#include "runtime/tables/server_table.h"

namespace pcshop::tables {
namespace {

std::filesystem::path Normalised(const std::filesystem::path& p) {
  std::error_code ec;
  std::filesystem::path n = std::filesystem::weakly_canonical(p, ec);
  if (ec) n = std::filesystem::absolute(p, ec).lexically_normal();
  return n;
}

}  // namespace

std::string ServerLabel(std::string_view name) { return "server table " + Printable(name); }

Result<std::unique_ptr<ServerBackend>> ServerBackend::Connect(
    const std::string& conninfo, const std::filesystem::path& program_folder) {
  auto conn = ServerConnection::Connect(conninfo);
  if (!conn.ok()) return conn.status();
  if (Status s = EnsureServerObjects(**conn); !s.ok()) return s;
  return std::unique_ptr<ServerBackend>(
      new ServerBackend(std::move(conn).value(), Normalised(program_folder)));
}

Result<std::string> ServerBackend::NameOf(const std::filesystem::path& file) const {
  const std::filesystem::path full = Normalised(file);
  std::filesystem::path name = full.lexically_relative(folder_);
  if (name.empty() || *name.begin() == "..") name = full;
  auto text = files::ToTextPath(name.generic_string());
  if (!text.ok()) return Status::InvalidArgument(full.string() + ": " + text.status().message());
  return text;
}

Status ServerBackend::Create(const std::filesystem::path& file, std::span<const FieldSpec> fields) {
  auto name = NameOf(file);
  if (!name.ok()) return name.status();
  conn_->Poll();
  return CreateServerTable(*conn_, *name, fields, ServerLabel(*name));
}

Result<std::unique_ptr<Table>> ServerBackend::Open(const std::filesystem::path& file) {
  auto name = NameOf(file);
  if (!name.ok()) return name.status();
  conn_->Poll();
  const std::string label = ServerLabel(*name);
  auto info = ReadServerTable(*conn_, *name, label);
  if (!info.ok()) return info.status();
  auto table = std::make_unique<ServerTable>(conn_, info->id, label, std::move(info->fields));
  if (Status s = table->Start(); !s.ok()) return s;
  return std::unique_ptr<Table>(std::move(table));
}

Result<bool> ServerBackend::Upgrade(const std::filesystem::path& file,
                                    std::span<const FieldSpec> fields) {
  auto name = NameOf(file);
  if (!name.ok()) return name.status();
  conn_->Poll();
  return UpgradeServerTable(*conn_, *name, fields, ServerLabel(*name));
}

}  // namespace pcshop::tables
