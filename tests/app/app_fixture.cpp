#include "tests/app/app_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <ostream>

#include "app/routine_table.h"
#include "image/app_image.h"
#include "runtime/files/program_folder.h"
#include "runtime/tables/server_settings.h"
#include "runtime/ui/window_manager.h"
#include "tests/app/table_expectations.h"

namespace pcshop::app::testing {

namespace fs = std::filesystem;

std::ostream& operator<<(std::ostream& os, const Product& p) {
  return os << p.kind << "/" << p.brand << "/" << p.model << "/" << p.price << "/" << p.remark;
}

void AppFixture::Seed(const std::string& category, const std::vector<Product>& products) {
  TestStore store;
  Ok(store.OpenTable((data() / (Gbk(category) + ".zdb")).string(), "seed"));
  for (const Product& p : products) {
    const tables::FieldValue values[] = {Gbk(p.kind), Gbk(p.brand), Gbk(p.model), p.price,
                                         Gbk(p.remark)};
    Ok(store.AppendRecord(values));
  }
}

bool AppFixture::OnServer() {
  const char* tables = std::getenv("PCSHOP_APP_TABLES");
  return tables != nullptr && std::strcmp(tables, "server") == 0;
}

void AppFixture::SetUp() {
  auto exe = files::ExecutablePath();
  ASSERT_TRUE(exe.ok());
  folder_ = exe->parent_path();
  ClearProgramFolder();
  if (OnServer()) {
    if (test_server::TestServer() == nullptr) GTEST_SKIP() << test_server::kNoTestServer;
    schema_.emplace();
    ASSERT_TRUE(schema_->ready()) << schema_->error();
    // The program's sessions carry the schema's name, so that a test can
    // tell when the server is done with a program it killed.
    std::ofstream(folder_ / tables::kServerSettingsFile)
        << "server = " << schema_->conninfo() << " application_name=" << schema_->name() << "\n";
    ::setenv(kTablesServerVariable, schema_->conninfo().c_str(), 1);
  }
  std::string pattern = (fs::temp_directory_path() / "pcshop-app-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  data_home_ = pattern;
  ::setenv("XDG_DATA_HOME", data_home_.c_str(), 1);

  const std::span<uint8_t> image = AppImage();
  image_.assign((image.size() + 7) / 8, 0);
  std::memcpy(image_.data(), image.data(), image.size());
  bytes_ = {reinterpret_cast<uint8_t*>(image_.data()), image.size()};
  ASSERT_TRUE(BindRoutines(bytes_).ok());
  errors_ = std::tmpfile();
  exit_codes_.clear();
  kernel::RuntimeOptions options;
  options.errors = errors_;
  options.end_process = [this](int32_t code) { exit_codes_.push_back(code); };
  runtime_ = std::make_unique<kernel::Runtime>(std::move(options));
  ASSERT_TRUE(runtime_->Load(bytes_).ok());
  user_ = std::make_unique<ui::UserActions>(*runtime_->windows());
  // Offscreen, a message box nobody answers would wait for ever.
  responder_.Clear();
  runtime_->windows()->SetResponder(&responder_);
}

void AppFixture::WaitUntilTheServerForgetsThePrograms() {
  if (!schema_) return;
  const std::string sessions = "SELECT 1 WHERE NOT EXISTS (SELECT 1 FROM pg_stat_activity "
                               "WHERE application_name = '" + schema_->name() + "')";
  for (int i = 0; i < 500; ++i) {
    if (test_server::Rows(schema_->conninfo(), sessions) == 1) return;
    ::usleep(10'000);
  }
  ADD_FAILURE() << "the server still runs a session of a program that ended";
}

void AppFixture::TearDown() {
  user_.reset();
  runtime_.reset();
  if (errors_ != nullptr) std::fclose(errors_);
  errors_ = nullptr;
  ClearProgramFolder();
  ::unsetenv(kTablesServerVariable);
  schema_.reset();
  std::error_code ec;
  if (!data_home_.empty()) fs::remove_all(data_home_, ec);
  ::unsetenv("XDG_DATA_HOME");
}

void AppFixture::ClearProgramFolder() {
  std::error_code ec;
  fs::remove_all(folder_ / "DATA", ec);
  fs::remove_all(folder_ / "备份", ec);
  fs::remove(folder_ / "SkinMV.dll", ec);
  fs::remove(folder_ / tables::kServerSettingsFile, ec);
}

void AppFixture::Run(const std::function<void()>& scenario) {
  ui::WindowManager& windows = *runtime_->windows();
  windows.SetMessageLoop([&] {
    scenario();
    for (uint32_t id : windows.OpenWindows()) windows.UnloadWindow(id);
    user_->ProcessEvents();
  });
  ASSERT_TRUE(runtime_->Start().ok());
}

std::string AppFixture::Errors() {
  std::fflush(errors_);
  std::rewind(errors_);
  std::string all;
  char chunk[512];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, errors_)) > 0) all.append(chunk, n);
  return all;
}

}  // namespace pcshop::app::testing
