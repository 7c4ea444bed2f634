// The kernel library's one export. The entry finds the image's size in the
// embedded block header just before the image (see image/image_format.h),
// then loads and starts it. The program normally ends in ExitProgram; if the
// entry routine returns instead, the entry returns to the launcher.

#include <cstdio>
#include <cstring>

#include "image/image_format.h"
#include "runtime/kernel/kernel_abi.h"
#include "runtime/kernel/runtime.h"

namespace {

namespace format = pcshop::image::format;

int32_t RunImage(const void* image) {
  if (image == nullptr) {
    std::fprintf(stderr, "runtime: no module image was handed over\n");
    return 1;
  }
  const auto* start = static_cast<const uint8_t*>(image);
  const uint8_t* header = start - format::kEmbeddedHeaderSize;
  if (std::memcmp(header, format::kEmbeddedMarker.data(), format::kEmbeddedMarker.size()) != 0) {
    std::fprintf(stderr, "runtime: the module image has no embedded image header\n");
    return 1;
  }
  uint32_t size = 0;
  std::memcpy(&size, header + format::kEmbeddedMarker.size(), sizeof size);
  // The image is the program's own writable block: the runtime patches it.
  const std::span<uint8_t> bytes(const_cast<uint8_t*>(start), size);

  pcshop::kernel::Runtime runtime;
  pcshop::Status status = runtime.Load(bytes);
  if (status.ok()) status = runtime.Start();
  if (!status.ok()) {
    std::fprintf(stderr, "runtime: cannot run the module image: %s\n",
                 status.ToString().c_str());
    return 1;
  }
  return 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) pcshop::kernel::RuntimeEntry GetRuntimeEntry(
    int32_t version) {
  return version == pcshop::kernel::kInterfaceVersion ? &RunImage : nullptr;
}
