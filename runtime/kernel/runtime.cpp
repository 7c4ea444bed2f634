#include "runtime/kernel/runtime.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "image/image_reader.h"
#include "runtime/kernel/active_runtime.h"
#include "runtime/kernel/entry_points.h"
#include "runtime/kernel/image_binding.h"
#include "runtime/files/file_copy.h"
#include "runtime/files/native_path.h"
#include "runtime/files/program_folder.h"
#include "runtime/tables/server_failure.h"
#include "runtime/tables/server_settings.h"
#include "runtime/tables/table_restore.h"
#include "runtime/text/gbk_codec.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::kernel {
namespace {

const char* FaultName(int32_t kind) {
  switch (static_cast<calls::FaultKind>(kind)) {
    case calls::FaultKind::kIndexOutOfRange: return "index out of range";
    case calls::FaultKind::kWrongValueType: return "wrong value type";
    case calls::FaultKind::kStackMovedByDllCall: return "stack moved by a DLL call";
  }
  return "unknown fault";
}

calls::Routine RoutineInSlot(const void* slot) {
  uint64_t address = 0;
  if (slot != nullptr) std::memcpy(&address, slot, sizeof address);
  return reinterpret_cast<calls::Routine>(static_cast<uintptr_t>(address));
}

// The server box's second line, then its third line's start before the
// server's own text (for the administrator).
constexpr char kServerStartFailed[] = "程序无法启动。";
constexpr char kServerActionFailed[] = "本次操作未完成，已保存的数据不受影响。";
constexpr char kServerDetail[] = "详情：";

}  // namespace

Runtime::Runtime(RuntimeOptions options) : options_(std::move(options)) {
  if (!options_.end_process) options_.end_process = [](int32_t code) { std::exit(code); };
  if (options_.errors == nullptr) options_.errors = stderr;
  FillEntryTable(entries_);
  SetActiveRuntime(this);
}

Runtime::~Runtime() {
  RunExitRoutine();
  CloseServices();
  windows_.reset();
  if (ActiveRuntime() == this) SetActiveRuntime(nullptr);
}

Status Runtime::Load(std::span<uint8_t> image) {
  if (view_ != nullptr) return Status::InvalidArgument("runtime: an image is already loaded");
  Result<image::ImageView> view = image::ReadImage(image);
  if (!view.ok()) return view.status();
  if (Status s = CheckImageBinding(*view); !s.ok()) return s;
  view_ = std::make_unique<image::ImageView>(std::move(view).value());
  ApplyImageBinding(*view_, entries_, var_area_);
  code_ = CodeData(*view_);
  // Resolved once: a list export sends tens of thousands of messages.
  for (const image::DllCommand& command : view_->dll_commands) {
    Result<dll::DllFunction> f = dll::ResolveDllFunction(command.library, command.function);
    dll_functions_.push_back(f.ok() ? std::optional(*f) : std::nullopt);
  }
  windows_ = std::make_unique<ui::WindowManager>(
      view_->windows, [this](uint32_t offset, std::span<const int32_t> data) {
        CallEventHandler(offset, data);
      });
  return Status::Ok();
}

Status Runtime::Start() {
  if (view_ == nullptr) return Status::InvalidArgument("runtime: no image is loaded");
  const calls::Routine entry = RoutineInSlot(view_->bytes.data() + view_->entry_offset);
  if (entry == nullptr) {
    return Status::Corruption("image: the entry routine ImageEntry is not bound");
  }
  if (!ChooseTables()) {
    tables_refused_ = true;
    return Status::Ok();
  }
  calls::RoutineCall call;
  call.code = code_;
  entry(call);
  return Status::Ok();
}

namespace {

// An installed program keeps its data in the user's folder: made there, with
// a copy of the skin library, which the start-up looks for beside "the
// program".
void PrepareUserDataFolder(const std::filesystem::path& folder) {
  const Result<std::filesystem::path> exe = files::ExecutablePath();
  if (!exe.ok() || exe->parent_path() == folder) return;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::filesystem::path skin = folder / "SkinMV.dll";
  if (!std::filesystem::exists(skin, ec)) {
    (void)files::CopyFileAtomically(exe->parent_path() / "SkinMV.dll", skin, false);
  }
}

}  // namespace

bool Runtime::ChooseTables() {
  std::filesystem::path folder = options_.settings_folder;
  if (folder.empty()) {
    // The folder the application takes for its own: for an installed
    // program the user's data folder, which then holds the settings too.
    const Result<std::string> program = files::DataKeepingFolder();
    const Result<std::filesystem::path> native =
        program.ok() ? files::ToNativePath(*program) : Result<std::filesystem::path>(program.status());
    // A program folder the runtime cannot name holds no settings it could use.
    if (!native.ok()) return true;
    folder = *native;
    PrepareUserDataFolder(folder);
  }
  auto backend = tables::ChooseTableBackend(folder);
  const bool on_server = backend.ok() && dynamic_cast<tables::FileBackend*>(backend->get()) == nullptr;
  Status used = backend.ok() ? tables_.UseBackend(std::move(backend).value()) : backend.status();
  if (used.ok()) {
    tables_on_server_ = on_server;
    if (on_server) {
      const auto settings = tables::ReadServerSettings(folder);
      if (settings.ok() && settings->has_value()) server_connection_ = (*settings)->connection;
    } else {
      // A restore another copy is making ends before this copy looks; one
      // cut short is finished (or undone) before a table opens.
      data_lock_ = tables::DataFolderLock(folder / "DATA");
      const Status recovered = tables::RecoverDataFolder(folder / "DATA");
      if (!recovered.ok()) {
        std::fprintf(options_.errors, "runtime: %s\n", recovered.message().c_str());
      }
    }
    return true;
  }
  const auto failure = tables::ServerFailureOf(used);
  std::fprintf(options_.errors, "runtime: %s\n",
               failure ? (failure->context + ": " + failure->server_text).c_str()
                       : used.message().c_str());
  std::fflush(options_.errors);
  if (failure) {
    ServerBox(failure->cause + "\n" + kServerStartFailed + "\n" + kServerDetail +
              failure->server_text);
  } else {
    ServerBox(used.message());
  }
  return false;
}

void Runtime::NoteTables(const Status& s) {
  const auto failure = tables::ServerFailureOf(s);
  if (!failure || server_failure_said_) return;
  server_failure_said_ = true;
  std::fprintf(options_.errors, "runtime: %s: %s\n", failure->context.c_str(),
               failure->server_text.c_str());
  std::fflush(options_.errors);
  ServerBox(failure->cause + "\n" + kServerActionFailed + "\n" + kServerDetail +
            failure->server_text);
}

void Runtime::ServerBox(std::string_view utf8) {
  std::string shown;
  for (size_t i = 0; i < utf8.size();) {
    size_t n = 1;
    while (i + n < utf8.size() && (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80) ++n;
    const Result<std::string> gbk = text::Utf8ToGbk(utf8.substr(i, n));
    shown += gbk.ok() ? *gbk : std::string("?");
    i += n;
  }
  windows_->MessageBox(shown, 0, "");
}

void Runtime::ReportRuntimeError(int32_t kind, int32_t routine_id, int32_t position) {
  std::fprintf(options_.errors, "runtime error: kind %d (%s) in routine %d at position %d\n",
               static_cast<int>(kind), FaultName(kind), static_cast<int>(routine_id),
               static_cast<int>(position));
  std::fflush(options_.errors);
}

void Runtime::NotAvailable(std::string_view what) {
  std::fprintf(options_.errors, "runtime: %.*s is not available yet\n",
               static_cast<int>(what.size()), what.data());
  std::fflush(options_.errors);
}

void Runtime::RegisterExitRoutine(const void* routine_slot) {
  exit_routine_slot_ = routine_slot;
}

void Runtime::ExitProgram(int32_t code) {
  RunExitRoutine();
  CloseServices();
  options_.end_process(code);
}

void Runtime::RunExitRoutine() {
  if (exit_routine_ran_ || exit_routine_slot_ == nullptr) return;
  exit_routine_ran_ = true;  // once, even if the routine ends the program itself
  if (const calls::Routine routine = RoutineInSlot(exit_routine_slot_)) {
    calls::RoutineCall call;
    call.code = code_;
    routine(call);
  }
}

void Runtime::CloseServices() {
  (void)text_files_.CloseAll();  // the program is ending; nobody is left to tell
  dll_bindings_.ReleaseAll();
}

calls::ValueTriple Runtime::CallReference(const calls::RoutineReference& reference) {
  calls::ValueTriple result;
  if (reference.routine == nullptr) return result;
  calls::RoutineCall call;
  call.code = code_;
  call.frame = reference.frame;
  call.result = &result;
  reference.routine(call);
  return result;
}

void Runtime::CallEventHandler(uint32_t code_offset, std::span<const int32_t> event_data) {
  if (code_offset > code_.size() || code_.size() - code_offset < sizeof(uint64_t)) return;
  const calls::Routine routine = RoutineInSlot(code_.data() + code_offset);
  if (routine == nullptr) return;
  if (handler_depth_ == 0) server_failure_said_ = false;  // a new user action
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(++d) {}
    ~Depth() { --depth; }
  } depth(handler_depth_);
  const int snapshots = tables_.snapshot_depth();
  calls::RoutineCall call;
  call.code = code_;
  call.event_data = event_data;
  routine(call);
  // A read snapshot the handler left open ends with it: its transaction
  // would hold back the other counters' log checkpoints (and on the server
  // be ended by the server as idle) until some later action.
  if (tables_.snapshot_depth() > snapshots) {
    std::fprintf(options_.errors, "runtime: an event handler left a read snapshot open; ended\n");
    std::fflush(options_.errors);
    while (tables_.snapshot_depth() > snapshots) tables_.EndSnapshot();
  }
}

Result<const text::PinyinReader*> Runtime::pinyin() {
  if (!pinyin_) {
    Result<text::PinyinReader> reader = text::PinyinReader::Create();
    if (!reader.ok()) return reader.status();
    pinyin_.emplace(std::move(reader).value());
  }
  return &*pinyin_;
}

}  // namespace pcshop::kernel
