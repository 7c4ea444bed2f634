// A test kernel library whose GetRuntimeEntry refuses every version.

#include "runtime/kernel/kernel_abi.h"

extern "C" __attribute__((visibility("default"))) pcshop::kernel::RuntimeEntry GetRuntimeEntry(
    int32_t /*version*/) {
  return nullptr;
}
