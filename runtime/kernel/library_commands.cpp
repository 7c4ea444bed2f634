// Commands of the support libraries and DLL commands.

#include <string>

#include "image/commands.h"
#include "runtime/dll/dll_table.h"
#include "runtime/files/native_path.h"
#include "runtime/files/program_folder.h"
#include "runtime/kernel/command_dispatch.h"
#include "runtime/kernel/runtime.h"
#include "runtime/kernel/sheet_commands.h"
#include "runtime/kernel/window_commands.h"
#include "runtime/kernel/workbook_commands.h"
#include "runtime/ui/window_manager.h"
#include "runtime/dll/list_messages.h"

namespace pcshop::kernel {
namespace {

// A function bound at run time (the skin library's) has no declared argument
// count here; it is called with the words passed, up to this many.
constexpr size_t kMaxBoundWords = 6;  // SkinAttachRes takes six

uint64_t CallBound(void* address, std::span<const uintptr_t> w) {
  using W = uintptr_t;
  switch (w.size()) {
    case 0: return reinterpret_cast<W (*)()>(address)();
    case 1: return reinterpret_cast<W (*)(W)>(address)(w[0]);
    case 2: return reinterpret_cast<W (*)(W, W)>(address)(w[0], w[1]);
    case 3: return reinterpret_cast<W (*)(W, W, W)>(address)(w[0], w[1], w[2]);
    case 4: return reinterpret_cast<W (*)(W, W, W, W)>(address)(w[0], w[1], w[2], w[3]);
    case 5:
      return reinterpret_cast<W (*)(W, W, W, W, W)>(address)(w[0], w[1], w[2], w[3], w[4]);
    default:
      return reinterpret_cast<W (*)(W, W, W, W, W, W)>(address)(w[0], w[1], w[2], w[3], w[4],
                                                                 w[5]);
  }
}

// Whether `path` (GBK, "\\" or not at its end) names the program folder's
// DATA folder, which holds the table files.
bool IsTablesFolder(const char* path) {
  const Result<std::string> program = files::ProgramFolder();
  if (path == nullptr || !program.ok()) return false;
  const Result<std::filesystem::path> folder = files::ToNativePath(*program);
  const Result<std::filesystem::path> asked = files::ToNativePath(path);
  if (!folder.ok() || !asked.ok()) return false;
  const auto normal = [](const std::filesystem::path& p) {
    std::filesystem::path n = p.lexically_normal();
    return n.has_filename() ? n : n.parent_path();
  };
  return normal(*asked) == normal(*folder / "DATA");
}

}  // namespace

calls::ValueTriple DispatchLibraryCommand(Runtime& rt, uint32_t library, uint32_t number,
                                          std::span<const calls::ValueTriple> arguments) {
  const image::CommandInfo* info = image::FindLibraryCommand(library, number);
  const auto command =
      static_cast<image::LibraryCommand>(image::LibraryCommandValue(library, number));
  if (info != nullptr && library == image::kXlsbridgeLibrary) {
    if (IsSheetCommand(command)) return SheetCommand(rt, command, CommandArguments(arguments));
    return WorkbookCommand(rt, command, CommandArguments(arguments));
  }
  if (info == nullptr || rt.windows() == nullptr) {
    rt.NotAvailable(info ? std::string(info->name)
                         : "command " + std::to_string(number) + " of library " +
                               std::to_string(library));
    return {};
  }
  return ListCommand(rt, command, CommandArguments(arguments));
}

uint64_t DispatchDllCommand(Runtime& rt, uint32_t index, std::span<const uintptr_t> words,
                            uint32_t* taken) {
  *taken = static_cast<uint32_t>(words.size());
  if (!rt.loaded() || index >= rt.view().dll_commands.size()) {
    rt.NotAvailable("DLL command " + std::to_string(index));
    return 0;
  }
  const image::DllCommand& command = rt.view().dll_commands[index];
  if (void* bound = rt.dll_bindings().Find(command.function)) {
    if (words.size() > kMaxBoundWords) {
      rt.NotAvailable(command.function + " with " + std::to_string(words.size()) + " arguments");
      return 0;
    }
    return CallBound(bound, words);
  }
  const dll::DllFunction* function = rt.dll_function(index);
  if (function == nullptr) {
    rt.NotAvailable(command.library + "!" + command.function);
    return 0;
  }
  *taken = function->argument_count;
  if (function->list_call != nullptr) {
    if (words.size() != function->argument_count || rt.windows() == nullptr) return 0;
    return function->list_call(*rt.windows(), words.data());
  }
  // A call with the wrong number of words would read arguments that were
  // never passed; it is not made, and the caller reports fault 6.
  if (words.size() != function->argument_count) return 0;
  // With the tables on a server the start-up's DATA folder would stay empty
  // for ever; it is reported made. Other folders (an export's day) are made.
  if (rt.tables_on_server() && command.function == "MakeSureDirectoryPathExists" &&
      IsTablesFolder(reinterpret_cast<const char*>(words[0]))) {
    return 1;
  }
  return function->call(words.data());
}

}  // namespace pcshop::kernel
