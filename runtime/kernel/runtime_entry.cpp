// The kernel library's one export. The entry finds the image's size in the
// embedded block header just before the image (see image/image_format.h),
// then loads and starts it. The program normally ends in ExitProgram; if the
// entry routine returns instead, the entry returns to the launcher.
//
// An image the runtime refuses is a damaged program file: the user sees the
// same "Error" box as for the launcher's faults, and the process ends with 1.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/error_box.h"
#include "image/image_format.h"
#include "runtime/kernel/kernel_abi.h"
#include "runtime/kernel/runtime.h"

namespace {

namespace format = pcshop::image::format;

constexpr char kDamagedMessage[] = "The program file is damaged!";
constexpr int kDamagedExitCode = pcshop::kErrorBoxExitCode;
constexpr int kTablesRefusedExitCode = 1;

// One line with the reason, the box when there is a display, then the end.
[[noreturn]] void RefuseDamagedImage(const std::string& reason) {
  std::fprintf(stderr, "%s (%s)\n", kDamagedMessage, reason.c_str());
  std::fflush(stderr);
  pcshop::ShowErrorBox(kDamagedMessage);
  std::exit(kDamagedExitCode);
}

int32_t RunImage(const void* image) {
  if (image == nullptr) RefuseDamagedImage("no module image was handed over");
  const auto* start = static_cast<const uint8_t*>(image);
  const uint8_t* header = start - format::kEmbeddedHeaderSize;
  if (std::memcmp(header, format::kEmbeddedMarker.data(), format::kEmbeddedMarker.size()) != 0) {
    RefuseDamagedImage("the module image has no embedded image header");
  }
  uint32_t size = 0;
  std::memcpy(&size, header + format::kEmbeddedMarker.size(), sizeof size);
  // The image is the program's own writable block: the runtime patches it.
  const std::span<uint8_t> bytes(const_cast<uint8_t*>(start), size);

  pcshop::Status status = pcshop::Status::Ok();
  bool tables_refused = false;
  {
    pcshop::kernel::Runtime runtime;
    status = runtime.Load(bytes);
    if (status.ok()) status = runtime.Start();
    tables_refused = runtime.tables_refused();
  }
  if (!status.ok()) RefuseDamagedImage("cannot run the module image: " + status.ToString());
  // The box has said why; the launcher does not look at our result, so a
  // shop script sees the failure only in the exit code.
  if (tables_refused) std::exit(kTablesRefusedExitCode);
  return 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) pcshop::kernel::RuntimeEntry GetRuntimeEntry(
    int32_t version) {
  return version == pcshop::kernel::kInterfaceVersion ? &RunImage : nullptr;
}
