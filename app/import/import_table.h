#pragma once
// The import log "\DATA\导入记录.zdb", opened as "导入记录": for each import
// a line that it began, a line per changed product with its values before
// and after, and a line when it finished, was undone or was rolled back.
// Kept through the table store so that it travels with backups and is
// shared on the server. The category tables cannot commit together with
// it, so an import that began and never finished is rolled back from its
// lines at the next start.

#include <cstdint>
#include <span>
#include <vector>

#include "app/import/import_log.h"
#include "image/calls/calls.h"

namespace pcshop::app {

enum class ImportState : int32_t { kChange = 0, kBegun, kFinished, kUndone, kRolledBack };

struct ImportRecord {
  int32_t number = 0;  // 0 when there is none
  ImportState state = ImportState::kBegun;  // its last marker
  std::vector<LoggedChange> changes;
};

// Start-up: creates the table when missing.
void PrepareImportTable(calls::Calls& rt);

// The last import in the log; number 0 when none (or the log is unusable).
// The current table stays current.
ImportRecord LastImport(calls::Calls& rt);

// Writes the begun line and the change lines of import `number` in one
// transaction; false when the store refused them.
bool LogImportBegun(calls::Calls& rt, int32_t number, std::span<const LoggedChange> changes);
bool LogImportState(calls::Calls& rt, int32_t number, ImportState state);

}  // namespace pcshop::app
