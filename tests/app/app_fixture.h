#pragma once
// One run of the real generated image on the runtime, in process, for the
// application's tests: the program folder is the test binary's own folder
// (the tests hold a CTest lock on it and clear it around each test), the
// drive folders lie in a fresh XDG_DATA_HOME, and everything the runtime
// reports goes to a temporary file the test can read.
//
// With PCSHOP_APP_TABLES=server in the environment (CTest runs every suite so
// once more) the program keeps its tables on the test server instead, in a
// schema of the test's own named by pcshop-server.conf in the program folder;
// tests about table files as such skip there.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "runtime/kernel/runtime.h"
#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"
#include "tests/support/test_server.h"

namespace pcshop::app::testing {

// One product as a category table holds it; texts UTF-8.
struct Product {
  std::string kind, brand, model;
  int price = 0;
  std::string remark;
  bool operator==(const Product&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Product& p);

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the program; `scenario` runs in place of the message loop, with
  // the quote window open. Whatever it leaves open is closed before the loop
  // ends.
  void Run(const std::function<void()>& scenario);
  // Everything the runtime wrote to its error stream.
  std::string Errors();
  void ClearProgramFolder();
  void Ok(const Status& s) { ASSERT_TRUE(s.ok()) << s.message(); }
  // Clicks `control` and lets the program handle what the click raised.
  void Click(const char* window, const char* control) {
    Ok(user_->Click(window, control));
    user_->ProcessEvents();
  }
  // The message boxes' texts (UTF-8) since the last call.
  std::vector<std::string> Messages() {
    std::vector<std::string> texts = responder_.MessageTexts();
    responder_.Clear();
    return texts;
  }
  // Whether the program's tables are on the test server, not in files.
  static bool OnServer();
  // On the server: waits until no session of a program of this test is left
  // there (a program killed with a write in flight may still see it land).
  void WaitUntilTheServerForgetsThePrograms();
  std::filesystem::path data() const { return folder_ / "DATA"; }
  // Appends products to the table of `category` (UTF-8) of the program.
  void Seed(const std::string& category, const std::vector<Product>& products);

  std::filesystem::path folder_;
  std::filesystem::path data_home_;
  std::optional<test_server::TestSchema> schema_;  // on the server: the test's tables
  std::FILE* errors_ = nullptr;
  std::vector<int32_t> exit_codes_;  // what ExitProgram was called with
  std::unique_ptr<kernel::Runtime> runtime_;
  std::unique_ptr<ui::UserActions> user_;
  // Answers every message box and file dialog (installed by SetUp): OK, or
  // what a test queues.
  ui::Responder responder_;

 private:
  std::vector<uint64_t> image_;  // an aligned copy of the image, patched by the runtime
  std::span<uint8_t> bytes_;
};

}  // namespace pcshop::app::testing

// For a test about table files themselves (their bytes, their folder, SQLite).
#define PCSHOP_SKIP_ON_SERVER(why)                                               \
  if (!OnServer()) {                                                             \
  } else                                                                         \
    GTEST_SKIP() << "the tables are on the server here: " << why

