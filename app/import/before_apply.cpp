#include "app/import/before_apply.h"

namespace pcshop::app {

// Nothing to do yet: the backup before an import is wired in here.
bool BeforeImportApplied(calls::Calls& /*rt*/) { return true; }

}  // namespace pcshop::app
