#include "runtime/kernel/backup_commands.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "image/calls/matching_rows.h"
#include "runtime/files/native_path.h"
#include "runtime/kernel/field_list_argument.h"
#include "runtime/kernel/runtime.h"
#include "runtime/kernel/runtime_memory.h"
#include "runtime/tables/table_backup.h"
#include "runtime/tables/table_restore.h"
#include "runtime/text/date_time.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::kernel {

using calls::ValueTriple;
using image::KernelCommand;
namespace fs = std::filesystem;

namespace {

// A failure for the user's box: the status text in GBK (characters GBK
// lacks become '?').
ValueTriple Outcome(const Status& s) {
  if (s.ok()) return TextResult("");
  Result<std::string> gbk = text::Utf8ToGbk(s.message());
  if (gbk.ok()) return TextResult(*gbk);
  std::string ascii = s.message();
  for (char& c : ascii) {
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  }
  return TextResult(ascii);
}

Result<fs::path> Native(std::string_view gbk) {
  if (gbk.empty()) return Status::InvalidArgument("no folder given");
  return files::ToNativePath(gbk);
}

std::string Utf8(std::string_view gbk) {
  Result<std::string> utf8 = text::GbkToUtf8(gbk);
  return utf8.ok() ? *utf8 : std::string(gbk);
}

std::string Gbk(const std::string& utf8) {
  Result<std::string> gbk = text::Utf8ToGbk(utf8);
  return gbk.ok() ? *gbk : utf8;
}

// "YYYY-MM-DD HH.MM.SS": sorts by time and is a valid folder name everywhere.
// PCSHOP_CLOCK ("YYYY-MM-DD HH:MM:SS") fixes the clock for tests.
std::string BackupTime() {
  text::LocalDateTime t;
  bool fixed = false;
  if (const char* clock = std::getenv("PCSHOP_CLOCK"); clock != nullptr) {
    fixed = std::sscanf(clock, "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour,
                        &t.minute, &t.second) == 6;
  }
  if (!fixed) {
    auto now = text::ToLocalDateTime(text::Now());
    if (now.ok()) t = *now;
  }
  char out[32];
  std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d.%02d.%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return out;
}

// Copies and checks take as long as the shop is big: they run while the
// windows go on painting.
void WhileAnswering(Runtime& rt, const std::function<void()>& work) {
  if (rt.windows() != nullptr) {
    rt.windows()->RunAnswering(work);
  } else {
    work();
  }
}

ValueTriple Backup(Runtime& rt, const CommandArguments& a) {
  auto data = Native(a.Text(0));
  auto target = Native(a.Text(1));
  if (!data.ok()) return Outcome(data.status());
  if (!target.ok()) return Outcome(target.status());
  const tables::BackupSource source{*data, rt.server_connection()};
  // The manifest is UTF-8 throughout, as the file names in it are.
  const std::string when = Utf8(a.Text(2));
  const std::string why = Utf8(a.Text(3));
  Status made;
  WhileAnswering(rt, [&] { made = tables::MakeBackup(source, *target, when, why).status(); });
  return Outcome(made);
}

ValueTriple Restore(Runtime& rt, const CommandArguments& a) {
  auto backup = Native(a.Text(0));
  auto data = Native(a.Text(1));
  if (!backup.ok()) return Outcome(backup.status());
  if (!data.ok()) return Outcome(data.status());
  // The restore checks the backup itself before it changes anything, so a
  // damaged one changes nothing.
  const std::string server = rt.server_connection();
  // Files are swapped under every copy's open tables: no other copy may run.
  if (server.empty() && !rt.data_lock().TakeAlone()) {
    return Outcome(Status::InvalidArgument(
        "another copy of the program is using these tables; close it before a restore"));
  }
  const Status s = rt.tables().ReopenAround([&] {
    Status restored;
    WhileAnswering(rt, [&] {
      restored = server.empty() ? tables::RestoreIntoFiles(*backup, *data)
                                : tables::RestoreIntoServer(*backup, server);
    });
    return restored;
  });
  if (server.empty()) rt.data_lock().ShareAgain();
  return Outcome(s);
}

ValueTriple List(const CommandArguments& a) {
  auto parent = Native(a.Text(0));
  if (!parent.ok()) return {};
  auto listed = tables::ListBackups(*parent);
  if (!listed.ok()) return {};
  std::vector<calls::TextRow> rows;
  for (const tables::ListedBackup& b : *listed) {
    int64_t records = 0;
    std::string detail;
    for (const tables::BackupTable& t : b.manifest.tables) {
      records += t.records;
      if (!detail.empty()) detail += "\n";
      detail += Gbk(t.file) + " " + std::to_string(t.records);
    }
    rows.push_back({Gbk(b.name), Gbk(b.manifest.when), Gbk(b.manifest.why), std::to_string(b.bytes),
                    std::to_string(b.manifest.tables.size()), std::to_string(records), detail});
  }
  return BinaryResult(calls::EncodeTextRows(7, rows));
}

}  // namespace

std::optional<ValueTriple> BackupCommand(Runtime& rt, KernelCommand command,
                                         const CommandArguments& a) {
  switch (command) {
    case KernelCommand::kBackupTables: return Backup(rt, a);
    case KernelCommand::kCheckBackup: {
      auto backup = Native(a.Text(0));
      if (!backup.ok()) return Outcome(backup.status());
      Status checked;
      WhileAnswering(rt, [&] { checked = tables::CheckBackup(*backup).status(); });
      return Outcome(checked);
    }
    case KernelCommand::kRestoreTables: return Restore(rt, a);
    case KernelCommand::kListBackups: return List(a);
    case KernelCommand::kRemoveBackup: {
      auto backup = Native(a.Text(0));
      return calls::Logical(backup.ok() && tables::RemoveBackup(*backup).ok());
    }
    case KernelCommand::kCopyBackup: {
      auto backup = Native(a.Text(0));
      auto destination = Native(a.Text(1));
      if (!backup.ok()) return Outcome(backup.status());
      if (!destination.ok()) return Outcome(destination.status());
      Status copied;
      WhileAnswering(rt, [&] { copied = tables::CopyBackup(*backup, *destination); });
      return Outcome(copied);
    }
    case KernelCommand::kBackupTime: return TextResult(BackupTime());
    case KernelCommand::kTableNeedsUpgrade: {
      const std::vector<tables::FieldSpec> fields = FieldList(a.size() > 1 ? a[1] : ValueTriple{});
      const Result<bool> needs = rt.tables().NeedsUpgrade(a.Text(0), fields);
      return calls::Logical(needs.ok() && *needs);
    }
    case KernelCommand::kOtherCopiesUseTables:
      return calls::Logical(rt.server_connection().empty() && rt.data_lock().OthersUseIt());
    case KernelCommand::kChooseFolder: {
      if (rt.windows() == nullptr) return TextResult("");
      const std::optional<std::string> chosen = rt.windows()->ChooseFolder(a.Text(0));
      return TextResult(chosen ? std::string_view(*chosen) : std::string_view());
    }
    default: return std::nullopt;
  }
}

}  // namespace pcshop::kernel
