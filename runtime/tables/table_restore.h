#pragma once
// Putting a checked backup back in place of every table at once.
//
// Files: the backup's tables are copied into "<DATA>.restore-partial" beside
// the DATA folder, which becomes "<DATA>.restore" when whole; then DATA is
// renamed to "<DATA>.old", "<DATA>.restore" to DATA, and "<DATA>.old" is
// removed. A crash at any step leaves either the old or the new set, and
// RecoverDataFolder (run at start-up, before a table is opened) finishes or
// undoes what it finds. The caller closes its own tables first.
//
// Server: every table of the backup replaces its server table in one
// transaction (the copy tool's code).

#include <filesystem>
#include <string>

#include "base/status.h"

namespace pcshop::tables {

// Both checked first: a damaged backup is named and nothing is replaced.
[[nodiscard]] Status RestoreIntoFiles(const std::filesystem::path& backup,
                                      const std::filesystem::path& data);
[[nodiscard]] Status RestoreIntoServer(const std::filesystem::path& backup,
                                       const std::string& server);

// Completes a swap that was cut short after the new set was whole, and
// removes whatever a restore left behind otherwise.
[[nodiscard]] Status RecoverDataFolder(const std::filesystem::path& data);

}  // namespace pcshop::tables
