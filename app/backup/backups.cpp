#include "app/backup/backups.h"

#include <charconv>

#include "app/process_state.h"
#include "app/quote/path_checks.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// Names tried when other copies take them in the same second.
constexpr int kNameAttempts = 3;

template <typename Int>
Int Number(const std::string& text) {
  Int v = 0;
  (void)std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

std::string Gbk(calls::OwnedText text) { return std::string(text.view()); }

// The oldest backups of one kind beyond `kept`.
void Trim(const std::vector<const BackupEntry*>& kind, size_t kept,
          std::vector<std::string>& out) {
  if (kind.size() <= kept) return;
  for (size_t i = 0; i < kind.size() - kept; ++i) out.push_back(kind[i]->name);
}

void Say(calls::Calls& rt, const std::string& text) { (void)rt.MessageBox(text.c_str(), 0); }

}  // namespace

std::string DataFolderPath(calls::Calls& rt) {
  return Gbk(rt.ProgramFolder()) + rt.ConstText(t::kDataFolder);
}

std::string BackupsFolderPath(calls::Calls& rt) {
  return Gbk(rt.ProgramFolder()) + rt.ConstText(t::kBackupFolder);
}

std::string BackupPath(calls::Calls& rt, const std::string& name) {
  return BackupsFolderPath(rt) + rt.ConstText(t::kBackupSeparator) + name;
}

std::vector<BackupEntry> ListBackupEntries(calls::Calls& rt) {
  std::vector<BackupEntry> out;
  const auto rows = rt.ListBackups(BackupsFolderPath(rt).c_str());
  if (!rows) return out;
  for (const calls::TextRow& r : *rows) {
    if (r.size() < 6) continue;
    out.push_back({r[0], r[1], r[2], Number<int64_t>(r[3]), Number<int32_t>(r[4]),
                   Number<int64_t>(r[5])});
  }
  return out;
}

std::vector<std::string> BackupsToRemove(const std::vector<BackupEntry>& entries,
                                         std::string_view daily) {
  std::vector<const BackupEntry*> dailies, others;
  // The newest one stays whatever its kind: it is the last good copy.
  const size_t considered = entries.empty() ? 0 : entries.size() - 1;
  for (size_t i = 0; i < considered; ++i) {
    (entries[i].why == daily ? dailies : others).push_back(&entries[i]);
  }
  const bool newest_daily = !entries.empty() && entries.back().why == daily;
  std::vector<std::string> out;
  Trim(dailies, newest_daily ? kDailyBackupsKept - 1 : kDailyBackupsKept, out);
  Trim(others, newest_daily ? kOtherBackupsKept : kOtherBackupsKept - 1, out);
  return out;
}

std::string MakeBackup(calls::Calls& rt, uint32_t why) {
  const std::string when = Gbk(rt.BackupTime());
  const std::string reason = rt.ConstText(why);
  std::string failure;
  // Two backups for the same reason in one second get distinct names; when
  // another copy takes the name while this one copies, the next name is tried.
  for (int n = 1, attempts = 0; attempts < kNameAttempts; ++n) {
    const std::string name = n == 1 ? when + " " + reason : when + " " + reason + " " + std::to_string(n);
    const std::string path = BackupPath(rt, name);
    if (IsDirectory(rt, path.c_str())) continue;
    ++attempts;
    failure = Gbk(rt.BackupTables(DataFolderPath(rt).c_str(), path.c_str(), when.c_str(),
                                  reason.c_str()));
    if (failure.empty() || !IsDirectory(rt, path.c_str())) break;
  }
  if (!failure.empty()) return failure;
  for (const std::string& old : BackupsToRemove(ListBackupEntries(rt), rt.ConstText(t::kBackupDaily))) {
    (void)rt.RemoveBackup(BackupPath(rt, old).c_str());
  }
  return {};
}

bool BackupBefore(calls::Calls& rt, uint32_t why) {
  const std::string failure = MakeBackup(rt, why);
  if (failure.empty()) return true;
  Say(rt, rt.ConstText(t::kBackupFailed) + failure);
  return false;
}

void DailyBackup(calls::Calls& rt) {
  const std::string today = Gbk(rt.BackupTime()).substr(0, 10);
  std::string& tried = TheProcessState(rt).daily_backup_tried;
  if (tried == today) return;
  tried = today;
  const std::string_view daily = rt.ConstText(t::kBackupDaily);
  for (const BackupEntry& e : ListBackupEntries(rt)) {
    if (e.why == daily && e.when.compare(0, 10, today) == 0) return;
  }
  (void)BackupBefore(rt, t::kBackupDaily);
}

bool UpgradeKeepingCopy(calls::Calls& rt, const char* path,
                        std::span<const calls::FieldRecord> fields) {
  if (rt.TableNeedsUpgrade(path, fields)) (void)BackupBefore(rt, t::kBackupBeforeUpgrade);
  return rt.UpgradeTable(path, fields);
}

}  // namespace pcshop::app
