#include "runtime/kernel/active_runtime.h"

namespace pcshop::kernel {
namespace {

// The one piece of process-wide state of the runtime; see the header.
Runtime* g_active_runtime = nullptr;

}  // namespace

Runtime* ActiveRuntime() { return g_active_runtime; }
void SetActiveRuntime(Runtime* runtime) { g_active_runtime = runtime; }

}  // namespace pcshop::kernel
