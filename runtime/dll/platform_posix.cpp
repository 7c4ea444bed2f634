// POSIX side of the DLL commands: loading shared libraries.

#include <dlfcn.h>

#include <utility>

#include "runtime/dll/shared_library.h"

namespace pcshop::dll {
namespace {

std::string LoaderError(const std::string& fallback) {
  const char* text = ::dlerror();
  return text != nullptr ? std::string(text) : fallback;
}

}  // namespace

Result<SharedLibrary> SharedLibrary::Open(const std::filesystem::path& path) {
  // A name without "/" would make dlopen search the system's library folders;
  // the application always means a file, so anchor it at the working folder.
  std::string native = path.string();
  if (native.find('/') == std::string::npos) native = "./" + native;
  ::dlerror();
  void* handle = ::dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return Status::IOError(LoaderError("cannot load " + native));
  return SharedLibrary(handle);
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) ::dlclose(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

SharedLibrary::~SharedLibrary() {
  if (handle_ != nullptr) ::dlclose(handle_);
}

Result<void*> SharedLibrary::Symbol(const std::string& name) const {
  if (handle_ == nullptr) return Status::InvalidArgument("library is not loaded");
  ::dlerror();
  void* address = ::dlsym(handle_, name.c_str());
  // A symbol may legally be null; only dlerror tells a missing one apart.
  if (const char* err = ::dlerror(); err != nullptr) return Status::NotFound(err);
  if (address == nullptr) return Status::NotFound(name + " has a null address");
  return address;
}

}  // namespace pcshop::dll
