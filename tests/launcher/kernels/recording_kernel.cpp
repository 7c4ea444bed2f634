// A test kernel library: records what the launcher hands it into the file
// named by PCSHOP_TEST_KERNEL_LOG (one "key value" line each): the version
// GetRuntimeEntry got, the image address and its first 64 bytes, and the
// file this library was mapped from. Built a second time with
// PCSHOP_FOREIGN_KERNEL as the library another user plants, which records
// "foreign" instead of "version".

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// The launcher loads through a descriptor's name, so the loader's own name
// for this library says nothing; the mapping in /proc/self/maps names the
// file itself.
void RecordMappedFile(const void* address) {
  std::FILE* maps = std::fopen("/proc/self/maps", "r");
  if (maps == nullptr) return;
  char line[4096];
  const auto at = reinterpret_cast<uintptr_t>(address);
  while (std::fgets(line, sizeof line, maps) != nullptr) {
    unsigned long long from = 0, to = 0;
    int path_at = 0;
    if (std::sscanf(line, "%llx-%llx %*s %*s %*s %*s %n", &from, &to, &path_at) < 2) continue;
    if (at < from || at >= to || path_at == 0) continue;
    line[std::strcspn(line, "\n")] = '\0';
    Record("library", line + path_at);
    break;
  }
  std::fclose(maps);
}

int32_t Entry(const void* image) {
  char text[130];
  std::snprintf(text, sizeof text, "%p", image);
  Record("image_address", text);
  const auto* bytes = static_cast<const unsigned char*>(image);
  for (int i = 0; i < 64; ++i) std::snprintf(text + 2 * i, 3, "%02x", bytes[i]);
  Record("image_bytes", text);
  RecordMappedFile(reinterpret_cast<const void*>(&Entry));
  return 7;  // the launcher ignores it
}

}  // namespace

extern "C" __attribute__((visibility("default"))) pcshop::kernel::RuntimeEntry GetRuntimeEntry(
    int32_t version) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(version));
#ifdef PCSHOP_FOREIGN_KERNEL
  Record("foreign", text);
#else
  Record("version", text);
#endif
  return &Entry;
}
