#pragma once
// The manifest of a backup folder: when and why it was made and how many
// records each table held. It is written last, inside the folder's
// temporary name, so a folder under its own name with a manifest is whole.
//
// Layout of a backup folder (the copy tool's DATA layout, one format for
// both backends):
//   <backup>/DATA/<table>.zdb ...
//   <backup>/manifest.txt   lines "when\t...", "why\t...", "table\t<file>\t<records>"
// All of it UTF-8.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/status.h"

namespace pcshop::tables {

inline constexpr char kBackupDataFolder[] = "DATA";
inline constexpr char kManifestFile[] = "manifest.txt";

struct BackupTable {
  std::string file;  // file name in DATA (native, UTF-8)
  int64_t records = 0;
};

struct BackupManifest {
  std::string when;
  std::string why;
  std::vector<BackupTable> tables;
};

// Writes and syncs `folder`/manifest.txt.
[[nodiscard]] Status WriteManifest(const std::filesystem::path& folder, const BackupManifest& m);
// Reads it back; a missing or garbled manifest is an error naming the folder.
[[nodiscard]] Result<BackupManifest> ReadManifest(const std::filesystem::path& folder);

}  // namespace pcshop::tables
