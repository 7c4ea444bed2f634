#pragma once
// Commands of the DLL-command table whose library the application names at
// run time (the skin library): BindDllLibrary(path, function) loads the
// library at the path and remembers the function under its name, and the call
// interface looks here before the platform functions. The runtime owns one
// DllBindings; every library is unloaded when its binding is released.

#include <map>
#include <string>
#include <string_view>

#include "runtime/dll/shared_library.h"
#include "base/status.h"

namespace pcshop::dll {

class DllBindings {
 public:
  // Binds `function` of the shared library at the GBK path `gbk_path`. A
  // library that does not load or lacks the function is an error carrying the
  // loader's text, and an earlier binding of that name is dropped, so the
  // command never reaches a library the application did not just ask for.
  // Both arguments empty (omitted) release every binding.
  [[nodiscard]] Status BindDllLibrary(std::string_view gbk_path, std::string_view function);

  void ReleaseAll() { bindings_.clear(); }

  // The bound address, or nullptr when the function is not bound.
  void* Find(std::string_view function) const;

  size_t size() const { return bindings_.size(); }

 private:
  struct Binding {
    SharedLibrary library;
    void* address;
  };
  std::map<std::string, Binding, std::less<>> bindings_;
};

}  // namespace pcshop::dll
