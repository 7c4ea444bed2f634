#include "app/import/before_apply.h"

#include "app/backup/backups.h"
#include "image/app_symbols.h"

namespace pcshop::app {

// A copy of every table first, so that a wrong price list can also be undone
// by a restore; a failed copy is said and nothing is written.
bool BeforeImportApplied(calls::Calls& rt) {
  return BackupBefore(rt, sym::text::kBackupBeforeImport);
}

}  // namespace pcshop::app
