#include "runtime/dll/dll_bindings.h"

#include "runtime/files/native_path.h"

namespace pcshop::dll {

Status DllBindings::BindDllLibrary(std::string_view gbk_path, std::string_view function) {
  if (gbk_path.empty() && function.empty()) {
    ReleaseAll();
    return Status::Ok();
  }
  const std::string name(function);
  bindings_.erase(name);
  if (gbk_path.empty() || function.empty()) {
    return Status::InvalidArgument("a binding needs both a library path and a function name");
  }
  auto native = files::ToNativePath(gbk_path);
  if (!native.ok()) return native.status();
  auto library = SharedLibrary::Open(*native);
  if (!library.ok()) return library.status();
  auto address = library->Symbol(name);
  if (!address.ok()) return address.status();
  bindings_.emplace(name, Binding{std::move(library).value(), *address});
  return Status::Ok();
}

void* DllBindings::Find(std::string_view function) const {
  auto it = bindings_.find(function);
  return it == bindings_.end() ? nullptr : it->second.address;
}

}  // namespace pcshop::dll
