#pragma once
// The launcher's start-up: find the package at the end of the own executable,
// unscramble and decompress it, write its files into a private folder, load
// the kernel library, ask it for the runtime entry and hand that entry the
// module image.

#include "launcher/launch_error.h"
#include "launcher/platform.h"
#include "runtime/kernel/kernel_abi.h"

namespace pcshop::launcher {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

// Every step up to and including GetRuntimeEntry; the entry, or the first
// fault (nothing after the failing step runs, nothing is shown). Files
// written before a fault stay on disk, except in a folder made for this start
// alone, which is gone when this returns. The loaded library is never
// unloaded.
Expected<kernel::RuntimeEntry> PrepareRuntime(Platform& platform);

// PrepareRuntime, then the entry is called with `image` and kExitSuccess is
// returned when it returns (its result is not looked at). A fault is shown
// with platform.ShowError and gives kExitFailure.
int Launch(Platform& platform, const void* image);

}  // namespace pcshop::launcher
