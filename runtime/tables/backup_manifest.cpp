#include "runtime/tables/backup_manifest.h"

#include <fstream>
#include <sstream>

#include "runtime/files/whole_file.h"

namespace pcshop::tables {

namespace fs = std::filesystem;

Status WriteManifest(const fs::path& folder, const BackupManifest& m) {
  std::string text = "when\t" + m.when + "\nwhy\t" + m.why + "\n";
  for (const BackupTable& t : m.tables) {
    text += "table\t" + t.file + "\t" + std::to_string(t.records) + "\n";
  }
  return files::WriteFileAtomically(folder / kManifestFile, text);
}

Result<BackupManifest> ReadManifest(const fs::path& folder) {
  const fs::path file = folder / kManifestFile;
  std::ifstream in(file, std::ios::binary);
  if (!in) return Status::NotFound(folder.string() + ": not a finished backup (no " +
                                   kManifestFile + ")");
  BackupManifest m;
  bool has_when = false;
  std::string line;
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string key = line.substr(0, tab);
    const std::string rest = line.substr(tab + 1);
    if (key == "when") {
      m.when = rest;
      has_when = true;
    } else if (key == "why") {
      m.why = rest;
    } else if (key == "table") {
      const size_t tab2 = rest.rfind('\t');
      if (tab2 == std::string::npos) return Status::Corruption(file.string() + ": garbled line");
      BackupTable t{rest.substr(0, tab2), 0};
      try {
        t.records = std::stoll(rest.substr(tab2 + 1));
      } catch (const std::exception&) {
        return Status::Corruption(file.string() + ": garbled record count");
      }
      m.tables.push_back(std::move(t));
    }
  }
  if (!has_when) return Status::Corruption(file.string() + ": no time of the backup");
  return m;
}

}  // namespace pcshop::tables
