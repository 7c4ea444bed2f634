#pragma once
// Every table of the process on one database server. A table file's path
// becomes the table's name there: the path relative to the program folder
// with '/' separators (DATA/CPU.zdb), or the whole absolute path for a file
// outside it, as GBK bytes.

#include <filesystem>
#include <memory>
#include <string>

#include "base/status.h"
#include "runtime/tables/server_connection.h"
#include "runtime/tables/table.h"

namespace pcshop::tables {

class ServerBackend final : public TableBackend {
 public:
  // Connects, and creates the server's shared tables when missing.
  static Result<std::unique_ptr<ServerBackend>> Connect(const std::string& conninfo,
                                                        const std::filesystem::path& program_folder);

  Status Create(const std::filesystem::path& file, std::span<const FieldSpec> fields) override;
  Result<std::unique_ptr<Table>> Open(const std::filesystem::path& file) override;
  Result<bool> Upgrade(const std::filesystem::path& file,
                       std::span<const FieldSpec> fields) override;

  // The name on the server of the table file `file` (GBK bytes).
  Result<std::string> NameOf(const std::filesystem::path& file) const;

 private:
  ServerBackend(std::shared_ptr<ServerConnection> conn, std::filesystem::path folder)
      : conn_(std::move(conn)), folder_(std::move(folder)) {}

  std::shared_ptr<ServerConnection> conn_;  // shared with the open tables
  std::filesystem::path folder_;            // normalised
};

// How messages name a table on the server.
std::string ServerLabel(std::string_view name);

}  // namespace pcshop::tables
