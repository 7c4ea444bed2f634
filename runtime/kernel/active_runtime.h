#pragma once
// The runtime is process-wide by design: the entry points are plain functions
// that compiled code calls through the entry-point table, with no context
// argument, so they reach the one Runtime of the process through this one
// pointer. It is set for exactly the lifetime of a Runtime object (see
// runtime.h) and lives nowhere else.

namespace pcshop::kernel {

class Runtime;

// The Runtime of this process, or nullptr when none exists.
Runtime* ActiveRuntime();

// Only Runtime's constructor and destructor call this.
void SetActiveRuntime(Runtime* runtime);

}  // namespace pcshop::kernel
