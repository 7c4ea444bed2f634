#pragma once
// One run of the real generated image on the runtime, in process, for the
// application's tests: the program folder is the test binary's own folder
// (the tests hold a CTest lock on it and clear it around each test), the
// drive folders lie in a fresh XDG_DATA_HOME, and everything the runtime
// reports goes to a temporary file the test can read.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "runtime/kernel/runtime.h"
#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"

namespace pcshop::app::testing {

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
  std::filesystem::path data() const { return folder_ / "DATA"; }

  std::filesystem::path folder_;
  std::filesystem::path data_home_;
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
