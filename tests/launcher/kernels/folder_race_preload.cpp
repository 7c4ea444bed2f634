// Preloaded into a launcher to play the other copy of a start race without
// timing: every folder the launcher makes is made, and then reported as
// made by someone else first (EEXIST), as when two copies start together.

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>

extern "C" __attribute__((visibility("default"))) int mkdirat(int dirfd, const char* path,
                                                              mode_t mode) {
  using Mkdirat = int (*)(int, const char*, mode_t);
  const auto real = reinterpret_cast<Mkdirat>(::dlsym(RTLD_NEXT, "mkdirat"));
  if (real == nullptr || real(dirfd, path, mode) != 0) return -1;
  errno = EEXIST;
  return -1;
}
