// The quote window's start-up work, run each time the window is created, and
// its exit button.

#include <string>

#include "app/accounts/payment_table.h"
#include "app/app_calls.h"
#include "app/backup/backups.h"
#include "app/catalogue/catalogue_tables.h"
#include "app/import/import_apply.h"
#include "app/import/import_table.h"
#include "app/lists/settings_table.h"
#include "app/quote/config_table.h"
#include "app/quote/path_checks.h"
#include "app/quote/skin_library.h"
#include "app/quote/startup_tables.h"
#include "app/routines.h"
#include "app/shop/shop_table.h"

namespace pcshop::app {
namespace {

// Nothing here reports a failure: a missing folder or table shows up later,
// when an operation on it fails and says so.
void EnsureDataFolder(calls::Calls& rt) {
  calls::OwnedText program_folder = rt.ProgramFolder();
  const std::string data_folder =
      std::string(program_folder.view()) + rt.ConstText(sym::text::kDataFolder);
  if (!IsDirectory(rt, data_folder.c_str())) (void)EnsureDirectory(rt, data_folder);
}

}  // namespace

void PrepareStartupTables(calls::Calls& rt) {
  EnsureDataFolder(rt);
  CreateConfigTable(rt);
  CreateProductTables(rt);
  PrepareShopTable(rt);
  PrepareSettingsTable(rt);
  // Before the others: the last one opened stays current, and the quote's
  // export names its file after it.
  OpenPaymentTable(rt);
  OpenStartupTables(rt);
  PrepareImportTable(rt);
  RollBackUnfinishedImport(rt);
}

void OnQuoteWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  DeployAndAttachSkin(rt);
  PrepareStartupTables(rt);
  // After the tables are whole and open; a failure is said and start-up goes on.
  DailyBackup(rt);
}

void ExitQuoteWindow(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  rt.UnloadWindow(rt.Id(sym::window::kQuote));
}

}  // namespace pcshop::app
