// The application's real image: routines bound, handed to the runtime, run
// from ImageEntry to ExitProgram; the exit routine frees the globals once.

#include <gtest/gtest.h>

#include "app/routine_table.h"
#include "app/routines.h"
#include "image/app_image.h"
#include "image/app_symbols.h"
#include "image/calls/calls.h"
#include "image/link_table.h"
#include "kernel_test_image.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::kernel::testing {
namespace {

class AppImageRunTest : public ::testing::Test {
 protected:
  // A private copy of the generated image, its routines bound.
  void SetUp() override {
    image_ = std::make_unique<ImageBuffer>(app::AppImage());
    ASSERT_TRUE(app::BindRoutines(image_->bytes()).ok());
  }

  uintptr_t* VarSlot(calls::Calls& c, uint32_t index) {
    const uint32_t slots[] = {sym::var::kSlot0, sym::var::kSlot1, sym::var::kSlot2,
                              sym::var::kSlot3, sym::var::kSlot4, sym::var::kSlot5,
                              sym::var::kSlot6, sym::var::kSlot7, sym::var::kSlot8};
    return c.Var(slots[index]);
  }

  std::unique_ptr<ImageBuffer> image_;
  RecordingRuntime rt_;
};

TEST_F(AppImageRunTest, BindingWritesTheStartAndExitRoutinesIntoTheirSlots) {
  EXPECT_EQ(image_->CodeSlot(sym::routine::kImageEntry),
            reinterpret_cast<uintptr_t>(&app::ImageEntry));
  EXPECT_EQ(image_->CodeSlot(sym::routine::kExitRoutine),
            reinterpret_cast<uintptr_t>(&app::ExitRoutine));
}

TEST_F(AppImageRunTest, RunsFromImageEntryToExitProgramZero) {
  ASSERT_TRUE(rt_.runtime().Load(image_->bytes()).ok());
  ui::WindowManager& windows = *rt_.runtime().windows();
  std::vector<uint32_t> open_in_loop;
  // The user closes the start window at once.
  windows.SetMessageLoop([&] {
    open_in_loop = windows.OpenWindows();
    for (uint32_t id : open_in_loop) windows.UnloadWindow(id);
  });
  ASSERT_TRUE(rt_.runtime().Start().ok());
  EXPECT_EQ(open_in_loop,
            std::vector<uint32_t>{calls::Calls(rt_.runtime().code()).Id(sym::window::kQuote)});
  EXPECT_EQ(rt_.exit_codes(), std::vector<int32_t>{0});
  EXPECT_EQ(rt_.Errors(), "");
  // The exit routine ran and released the hit-test block of var slot 0.
  calls::Calls c(rt_.runtime().code());
  EXPECT_EQ(*VarSlot(c, 0), 0u);
}

TEST_F(AppImageRunTest, ExitRoutineFreesTheOwnedVarSlotsOnce) {
  ASSERT_TRUE(rt_.runtime().Load(image_->bytes()).ok());
  calls::Calls c(rt_.runtime().code());
  for (uint32_t index : {0u, 1u, 2u, 3u, 4u, 5u, 7u}) {
    *VarSlot(c, index) = reinterpret_cast<uintptr_t>(c.AllocateMemory(16));
  }
  c.RegisterExitRoutine(c.CodeAddress(sym::routine_ref::kExitRoutine));
  c.ExitProgram(3);
  EXPECT_EQ(rt_.exit_codes(), std::vector<int32_t>{3});
  for (uint32_t index : {0u, 1u, 3u, 4u, 5u, 7u}) EXPECT_EQ(*VarSlot(c, index), 0u) << index;
  // Slot 2 is not the exit routine's to free.
  ASSERT_NE(*VarSlot(c, 2), 0u);
  c.FreeMemory(reinterpret_cast<void*>(*VarSlot(c, 2)));

  // A second ExitProgram does not run the exit routine again.
  int marker = 0;
  *VarSlot(c, 1) = reinterpret_cast<uintptr_t>(&marker);
  c.ExitProgram(0);
  EXPECT_EQ(*VarSlot(c, 1), reinterpret_cast<uintptr_t>(&marker));
  EXPECT_EQ(rt_.exit_codes(), (std::vector<int32_t>{3, 0}));
  *VarSlot(c, 1) = 0;
}

}  // namespace
}  // namespace pcshop::kernel::testing
