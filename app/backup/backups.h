#pragma once
// When and why the shop's tables are backed up, what the folders are called
// and how many are kept. The copying, checking and replacing are the
// runtime's (its backup commands); this side decides.
//
// Backups lie in 备份 beside DATA, one folder each, named
// "YYYY-MM-DD HH.MM.SS <why>" (2026-12-10 08.15.03 日常): names sort by time
// and say why at a glance. Kept: the newest 30 daily ones and the newest 10
// of the others; the newest finished one is never removed.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

inline constexpr size_t kDailyBackupsKept = 30;
inline constexpr size_t kOtherBackupsKept = 10;

// One finished backup as ListBackups gives it.
struct BackupEntry {
  std::string name;  // folder name, GBK
  std::string when;
  std::string why;
  int64_t bytes = 0;
  int32_t tables = 0;
  int64_t records = 0;
};

std::string DataFolderPath(calls::Calls& rt);
std::string BackupsFolderPath(calls::Calls& rt);
std::string BackupPath(calls::Calls& rt, const std::string& name);
// Oldest first.
std::vector<BackupEntry> ListBackupEntries(calls::Calls& rt);

// Makes a backup for `why` (a text id: sym::text::kBackupDaily ...), then
// trims the old ones. Empty when done, else the runtime's reason (GBK).
std::string MakeBackup(calls::Calls& rt, uint32_t why);

// A backup before something risky (an import, a restore, an upgrade). A
// failure is said in a box; false then, and the caller should not go on.
bool BackupBefore(calls::Calls& rt, uint32_t why);

// The daily backup, made when none has been made today: the first start of
// each day. Tried once a day per process: a failure (a read-only shop) is
// said once in a box and the program goes on.
void DailyBackup(calls::Calls& rt);

// UpgradeTable, with a backup first when the table's layout will grow.
bool UpgradeKeepingCopy(calls::Calls& rt, const char* path,
                        std::span<const calls::FieldRecord> fields);

// The folders retention removes from `entries` (oldest first).
std::vector<std::string> BackupsToRemove(const std::vector<BackupEntry>& entries,
                                         std::string_view daily);

}  // namespace pcshop::app
