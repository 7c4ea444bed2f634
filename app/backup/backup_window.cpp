// 数据维护: a modal window over the quote window (like 店铺信息, so the quote
// being built stays). It lists the finished backups newest first, makes one
// now, restores the chosen one after a check and a confirmation, and puts a
// file copy of the chosen one (or the newest) into a folder of the user's
// choice.

#include <string>

#include "app/app_calls.h"
#include "app/backup/backups.h"
#include "app/catalogue/entry_panel.h"
#include "app/quote/path_checks.h"
#include "app/quote/startup_tables.h"
#include "app/routines.h"
#include "image/app_symbols.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;
namespace c = sym::control::backup;

enum Column : int32_t { kWhen, kWhy, kSize, kTables, kRecords, kFolder };

ControlRef Control(calls::Calls& rt, uint32_t control, uint32_t type) {
  return ControlRef{rt.Id(sym::window::kBackup), rt.Id(control), type};
}

void Say(calls::Calls& rt, const std::string& text) { (void)rt.MessageBox(text.c_str(), 0); }

std::string Size(calls::Calls& rt, int64_t bytes) {
  if (bytes < 1024 * 1024) {
    return std::to_string((bytes + 1023) / 1024) + rt.ConstText(t::kBackupSizeKb);
  }
  const int64_t tenths = bytes * 10 / (1024 * 1024);
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) +
         rt.ConstText(t::kBackupSizeMb);
}

void ShowList(calls::Calls& rt) {
  const calls::ValueTriple list = ObjectOf(Control(rt, c::超级列表框备份, image::type_id::kListView));
  rt.ClearList(list);
  const std::vector<BackupEntry> entries = ListBackupEntries(rt);
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const int32_t row = rt.InsertListRow(list, -1);
    (void)rt.SetListCell(list, row, kWhen, it->when.c_str());
    (void)rt.SetListCell(list, row, kWhy, it->why.c_str());
    (void)rt.SetListCell(list, row, kSize, Size(rt, it->bytes).c_str());
    (void)rt.SetListCell(list, row, kTables, std::to_string(it->tables).c_str());
    (void)rt.SetListCell(list, row, kRecords, std::to_string(it->records).c_str());
    (void)rt.SetListCell(list, row, kFolder, it->name.c_str());
  }
}

// The backup on the chosen row; nothing when no row is chosen.
std::optional<BackupEntry> Chosen(calls::Calls& rt) {
  const int32_t row = IndexOf(rt, Control(rt, c::超级列表框备份, image::type_id::kListView));
  const std::vector<BackupEntry> entries = ListBackupEntries(rt);
  if (row < 0 || static_cast<size_t>(row) >= entries.size()) return std::nullopt;
  return entries[entries.size() - 1 - static_cast<size_t>(row)];
}

}  // namespace

void OpenBackupWindow(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  (void)rt.LoadWindow(rt.Id(sym::window::kBackup), true);
}

void OnBackupWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const calls::OwnedText shown = rt.PlatformPath(BackupsFolderPath(rt).c_str());
  SetTextOf(rt, Control(rt, c::透明标签备份位置, image::type_id::kLabel), shown.c_str());
  ShowList(rt);
}

void BackupNowClicked(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const std::string failure = MakeBackup(rt, t::kBackupManual);
  ShowList(rt);
  if (!failure.empty()) return Say(rt, rt.ConstText(t::kBackupFailed) + failure);
  const std::vector<BackupEntry> entries = ListBackupEntries(rt);
  Say(rt, rt.ConstText(t::kBackupDone) + (entries.empty() ? std::string() : entries.back().name));
}

void RestoreBackupClicked(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const std::optional<BackupEntry> chosen = Chosen(rt);
  if (!chosen) return Say(rt, rt.ConstText(t::kBackupNoneChosen));
  const std::string folder = BackupPath(rt, chosen->name);
  const std::string damage(rt.CheckBackup(folder.c_str()).view());
  if (!damage.empty()) return Say(rt, rt.ConstText(t::kBackupDamaged) + damage);
  // The tables are swapped under every running copy's feet.
  if (rt.OtherCopiesUseTables()) return Say(rt, rt.ConstText(t::kRestoreOthersRunning));
  const std::string ask = rt.ConstText(t::kRestoreAskStart) + chosen->when +
                          rt.ConstText(t::kRestoreAskMiddle) + std::to_string(chosen->tables) +
                          rt.ConstText(t::kRestoreAskTables) + std::to_string(chosen->records) +
                          rt.ConstText(t::kRestoreAskEnd);
  if (rt.MessageBox(ask.c_str(), 1) != 0) return;
  if (!BackupBefore(rt, t::kBackupBeforeRestore)) return;
  const std::string failure(rt.RestoreTables(folder.c_str(), DataFolderPath(rt).c_str()).view());
  // Tables the backup did not hold are made again, empty, as at a first start.
  PrepareStartupTables(rt);
  ShowList(rt);
  Say(rt, failure.empty() ? std::string(rt.ConstText(t::kRestoreDone))
                          : rt.ConstText(t::kRestoreFailed) + failure);
}

void CopyBackupClicked(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  std::optional<BackupEntry> chosen = Chosen(rt);
  if (!chosen) {
    const std::vector<BackupEntry> entries = ListBackupEntries(rt);
    if (entries.empty()) return Say(rt, rt.ConstText(t::kBackupNoneChosen));
    chosen = entries.back();
  }
  const std::string destination(rt.ChooseFolder(rt.ConstText(t::kCopyBackupTitle)).view());
  if (destination.empty()) return;
  // Said in words a shop owner reads, not the file system's.
  const std::string target = destination + rt.ConstText(t::kBackupSeparator) + chosen->name;
  if (rt.FileExists(target.c_str()) || IsDirectory(rt, target.c_str())) {
    return Say(rt, rt.ConstText(t::kCopyBackupInTheWay) +
                       std::string(rt.PlatformPath(target.c_str()).view()));
  }
  const std::string failure(
      rt.CopyBackup(BackupPath(rt, chosen->name).c_str(), destination.c_str()).view());
  Say(rt, failure.empty() ? rt.ConstText(t::kCopyBackupDone) + destination
                          : rt.ConstText(t::kCopyBackupFailed) + failure);
}

void CloseBackupWindow(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  rt.UnloadWindow(rt.Id(sym::window::kBackup));
}

}  // namespace pcshop::app
