#pragma once
// A loaded shared library, owned by one object and unloaded with it.
// The POSIX side is in platform_posix.cpp; a Win32 build swaps that file.

#include <filesystem>
#include <string>

#include "base/status.h"

namespace pcshop::dll {

class SharedLibrary {
 public:
  // Loads with every symbol resolved now and none made global. A failure
  // carries the loader's own text.
  [[nodiscard]] static Result<SharedLibrary> Open(const std::filesystem::path& path);

  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  ~SharedLibrary();

  // Address of an exported symbol; a missing one carries the loader's text.
  [[nodiscard]] Result<void*> Symbol(const std::string& name) const;

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  void* handle_ = nullptr;
};

}  // namespace pcshop::dll
