#pragma once
// The runtime of one process: it reads the module image, applies the fixups
// in place, checks and maps the id slots, owns the var area, the entry-point
// table and the services, and starts the image's entry routine. The entry
// points (entry_points.h) reach it through ActiveRuntime(): constructing a
// Runtime makes it the process's runtime until it is destroyed, and only one
// may exist at a time.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/calls/entry_points.h"
#include "image/image_view.h"
#include "image/link_table.h"
#include "runtime/dll/dll_bindings.h"
#include "runtime/dll/dll_table.h"
#include "runtime/document/documents.h"
#include "runtime/files/text_files.h"
#include "base/status.h"
#include "runtime/tables/data_folder_lock.h"
#include "runtime/tables/table_store.h"
#include "runtime/text/pinyin.h"
#include "runtime/xlsbridge/sheet_files.h"
#include "runtime/xlsbridge/workbook.h"

namespace pcshop::ui {
class WindowManager;
}

namespace pcshop::kernel {

struct RuntimeOptions {
  // Ends the process once ExitProgram has run the exit routine and closed the
  // services. Tests replace it so that ExitProgram returns to its caller.
  std::function<void(int32_t code)> end_process;
  // Where fault reports and "not available" notes go (standard error).
  std::FILE* errors = stderr;
  // Where the table settings file is looked for; empty: the program folder.
  std::filesystem::path settings_folder;
};

class Runtime {
 public:
  explicit Runtime(RuntimeOptions options = {});
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;
  // Runs the exit routine if the program did not end through ExitProgram.
  ~Runtime();

  // Reads and checks the image, then applies the fixups and maps the ids in
  // place. A refused image is left exactly as it was.
  [[nodiscard]] Status Load(std::span<uint8_t> image);
  // Chooses where the tables lie (pcshop-server.conf), then calls
  // ImageEntry through its routine slot; returns when it returns. When the
  // settings cannot be used or their server cannot be reached, the user is
  // told in a message box and the image is not run: nothing is touched.
  [[nodiscard]] Status Start();

  // --- What the entry points do.
  void ReportRuntimeError(int32_t kind, int32_t routine_id, int32_t position);
  void RegisterExitRoutine(const void* routine_slot);
  void ExitProgram(int32_t code);
  // A line "runtime: <what> is not available yet" on the error stream.
  void NotAvailable(std::string_view what);
  // Calls a routine the image references (a routine reference's record).
  calls::ValueTriple CallReference(const calls::RoutineReference& reference);
  // Calls the routine in the slot at `code_offset` with an event's words; a
  // slot holding 0 is no handler.
  void CallEventHandler(uint32_t code_offset, std::span<const int32_t> event_data);

  // --- Services and state.
  tables::TableStore& tables() { return tables_; }
  files::TextFiles& text_files() { return text_files_; }
  dll::DllBindings& dll_bindings() { return dll_bindings_; }
  document::Documents& documents() { return documents_; }
  xlsbridge::Workbooks& workbooks() { return workbooks_; }
  xlsbridge::SheetFiles& sheet_files() { return sheet_files_; }
  // The platform function of DLL command `index`, resolved once at Load;
  // null when the runtime supplies none (or there is no such command).
  const dll::DllFunction* dll_function(uint32_t index) const {
    return index < dll_functions_.size() && dll_functions_[index].has_value()
               ? &*dll_functions_[index]
               : nullptr;
  }
  // The windows of the loaded image; null before Load.
  ui::WindowManager* windows() { return windows_.get(); }
  // Created on first use: creating it costs about a tenth of a second.
  Result<const text::PinyinReader*> pinyin();
  const image::ImageView& view() const { return *view_; }
  bool loaded() const { return view_ != nullptr; }
  std::span<uint8_t> code() const { return code_; }
  std::span<uint64_t> var_area() { return var_area_; }
  const calls::EntryTable& entry_table() const { return entries_; }
  std::FILE* errors() const { return options_.errors; }
  // Start showed why the tables cannot be reached and ran nothing.
  bool tables_refused() const { return tables_refused_; }
  // Every table command's outcome passes here: a failure of the database
  // server (out of reach, silent, a right missing ...) is said in a box,
  // once per user action (a list would otherwise look empty and a failed
  // write like any other refusal).
  void NoteTables(const Status& s);
  // The server box was shown in the current user action: the action's
  // further table commands fail at once (no second wait on a silent server)
  // and its own message boxes are not shown.
  bool server_failure_said() const { return server_failure_said_; }
  // Whether the tables are on a database server (pcshop-server.conf).
  bool tables_on_server() const { return tables_on_server_; }
  // The server's connection string when the tables are on one, else empty.
  const std::string& server_connection() const { return server_connection_; }
  // Held while the tables are files (data_folder_lock.h).
  tables::DataFolderLock& data_lock() { return data_lock_; }

 private:
  void RunExitRoutine();
  // False, after the box, when the tables cannot be put where the settings say.
  bool ChooseTables();
  // A box about the database server, UTF-8 lines (the server's text may
  // hold characters GBK lacks: they become '?').
  void ServerBox(std::string_view text);
  void CloseServices();

  RuntimeOptions options_;
  calls::EntryTable entries_ = {};
  // The widened var area: nine 8-byte slots, zero at start.
  std::array<uint64_t, image::kVarSlotCount> var_area_ = {};
  std::unique_ptr<image::ImageView> view_;
  std::span<uint8_t> code_;
  const void* exit_routine_slot_ = nullptr;
  bool exit_routine_ran_ = false;
  bool tables_refused_ = false;
  bool server_failure_said_ = false;  // in the current user action
  bool tables_on_server_ = false;
  std::string server_connection_;
  tables::DataFolderLock data_lock_;
  int handler_depth_ = 0;          // event handlers running, one inside another

  tables::TableStore tables_;
  files::TextFiles text_files_;
  dll::DllBindings dll_bindings_;
  document::Documents documents_;
  xlsbridge::Workbooks workbooks_;
  xlsbridge::SheetFiles sheet_files_;
  std::vector<std::optional<dll::DllFunction>> dll_functions_;  // by DLL-command index
  std::optional<text::PinyinReader> pinyin_;
  std::unique_ptr<ui::WindowManager> windows_;  // after the view it reads
};

}  // namespace pcshop::kernel
