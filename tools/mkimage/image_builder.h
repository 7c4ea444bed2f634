#pragma once
// Lays out the application's image content: const data, windows with ids
// and bindings, and the code data as a link table (image/link_table.h), with
// its fixups and id groups. Also records, for the generated symbols header,
// the code offset of every slot by what it stands for.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "image/image_model.h"
#include "base/status.h"
#include "tools/mkimage/app_sources.h"

namespace pcshop::mkimage {

struct Symbol {
  std::string name;  // as it appears in the generated header
  uint32_t offset = 0;  // code offset of the slot
};

struct SymbolTable {
  std::vector<Symbol> text, binary, number, window, var, stub, dll, library, type, routine_ref,
      routine;
  // Per window key ("quote"), the id slot of each control, named as in the form.
  std::vector<std::pair<std::string, std::vector<Symbol>>> controls;
  std::vector<std::string> routines;  // routine names in slot order
};

struct BuiltImage {
  image::ImageModel model;
  SymbolTable symbols;
};

// The routine names every image carries, whether or not a form binds them.
inline constexpr const char* kImageEntryRoutine = "ImageEntry";
inline constexpr const char* kExitRoutine = "ExitRoutine";

[[nodiscard]] Result<BuiltImage> BuildImage(const AppSources& sources);

// "stock_in" -> "kStockIn".
std::string ConstantName(std::string_view key);

}  // namespace pcshop::mkimage
