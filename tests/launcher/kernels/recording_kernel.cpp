// A test kernel library: records what the launcher hands it into the file
// named by PCSHOP_TEST_KERNEL_LOG (one "key value" line each): the version
// GetRuntimeEntry got, the image address and its first 64 bytes, and the path
// this library was loaded from.

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "runtime/kernel/kernel_abi.h"

namespace {

void Record(const char* key, const char* value) {
  const char* log = std::getenv("PCSHOP_TEST_KERNEL_LOG");
  if (log == nullptr) return;
  if (std::FILE* f = std::fopen(log, "a")) {
    std::fprintf(f, "%s %s\n", key, value);
    std::fclose(f);
  }
}

int32_t Entry(const void* image) {
  char text[130];
  std::snprintf(text, sizeof text, "%p", image);
  Record("image_address", text);
  const auto* bytes = static_cast<const unsigned char*>(image);
  for (int i = 0; i < 64; ++i) std::snprintf(text + 2 * i, 3, "%02x", bytes[i]);
  Record("image_bytes", text);
  Dl_info info;
  if (dladdr(reinterpret_cast<const void*>(&Entry), &info) != 0 && info.dli_fname != nullptr) {
    Record("library", info.dli_fname);
  }
  return 7;  // the launcher ignores it
}

}  // namespace

extern "C" __attribute__((visibility("default"))) pcshop::kernel::RuntimeEntry GetRuntimeEntry(
    int32_t version) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(version));
  Record("version", text);
  return &Entry;
}
