// The kernel library's one export. Until the module image is read here, the
// entry accepts the image address and returns at once.

#include "runtime/kernel/kernel_abi.h"

namespace {

int32_t RunImage(const void* /*image*/) { return 0; }

}  // namespace

extern "C" __attribute__((visibility("default"))) pcshop::kernel::RuntimeEntry GetRuntimeEntry(
    int32_t version) {
  return version == pcshop::kernel::kInterfaceVersion ? &RunImage : nullptr;
}
