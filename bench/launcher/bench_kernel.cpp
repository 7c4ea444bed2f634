// The benchmark's kernel library: GetRuntimeEntry hands out an entry that
// returns at once, so a launch measures the launcher alone.

#include "runtime/kernel/kernel_abi.h"

namespace {

int32_t Entry(const void* image) {
  return image != nullptr ? 0 : 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) pcshop::kernel::RuntimeEntry GetRuntimeEntry(
    int32_t version) {
  return version == pcshop::kernel::kInterfaceVersion ? &Entry : nullptr;
}
