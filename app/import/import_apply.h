#pragma once
// Writing an import into the category tables and taking it back. Each
// category's changes are one write (WriteRecords); the import log holds
// what was there before, so an import cut short is rolled back at the next
// start and the last one can be undone.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/import/import_log.h"
#include "app/import/import_plan.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// Logs `changes` as import number (last + 1), writes them, then logs that
// it finished; false when anything was refused (what was written stays
// logged and is rolled back at the next start).
bool ApplyChanges(calls::Calls& rt, std::span<const LoggedChange> changes,
                  std::span<const CatalogueProduct> catalogue,
                  std::span<const std::string> category_names);

struct UndoOutcome {
  bool nothing = false;  // no import to undo
  bool ok = false;
  std::vector<LoggedChange> changed_since;  // left alone
  size_t undone = 0;
};

// Puts back every product of the last finished import that is still as it
// left it.
UndoOutcome UndoImportChanges(calls::Calls& rt);

// Start-up: an import that began and did not finish is taken back from its
// log. The current table stays current.
void RollBackUnfinishedImport(calls::Calls& rt);

}  // namespace pcshop::app
