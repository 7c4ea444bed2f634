#pragma once
// The one place that runs just before an import writes to the catalogue.
// The automatic backup before an import belongs here: called once per apply,
// after the user confirmed and before the first write; a false result stops
// the import with nothing written.

#include "image/calls/calls.h"

namespace pcshop::app {

bool BeforeImportApplied(calls::Calls& rt);

}  // namespace pcshop::app
