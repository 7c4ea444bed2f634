#pragma once
// The settings file that puts every table on a database server:
// pcshop-server.conf in the program folder, one `key = value` a line, '#'
// starts a comment, blank lines are ignored. Its one key:
//   server = <libpq connection string>   e.g. host=192.168.1.10 dbname=pcshop user=counter
// A password in it is refused: libpq reads it from ~/.pgpass (or PGPASSFILE).
// Without the file the tables are files, as always.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"
#include "runtime/tables/table.h"

namespace pcshop::tables {

inline constexpr char kServerSettingsFile[] = "pcshop-server.conf";

struct ServerSettings {
  std::string connection;  // the libpq connection string
};

// Reads the settings text; the error (in Chinese, for the shop owner) names
// the line and what is wrong with it.
Result<ServerSettings> ParseServerSettings(std::string_view text);

// The settings in `folder`, nothing when it holds no settings file.
Result<std::optional<ServerSettings>> ReadServerSettings(const std::filesystem::path& folder);

// The backend for every table of a program in `folder`: files without a
// settings file, else the server it names, connected. The error is the
// message for the user's box, in Chinese (UTF-8), or a ServerFailure
// (server_failure.h) when the server was named but could not be used.
Result<std::unique_ptr<TableBackend>> ChooseTableBackend(const std::filesystem::path& folder);

}  // namespace pcshop::tables
