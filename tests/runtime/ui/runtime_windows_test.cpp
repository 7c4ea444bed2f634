// The windows through the runtime's call interface, as compiled routines
// reach them: commands, properties, handlers in their slots.

#include <gtest/gtest.h>

#include "image/calls/calls.h"
#include "image/property_numbers.h"
#include "kernel_test_image.h"
#include "runtime/ui/test_seam.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::kernel::testing {
namespace {

namespace property = image::property;

struct Clicks {
  int count = 0;
  std::span<uint8_t> code;
};
Clicks* clicks = nullptr;  // the handler's view of the running test

void NoOp(const calls::RoutineCall&) {}

void OnClick(const calls::RoutineCall& call) {
  ++clicks->count;
  clicks->code = call.code;
  // The handler closes its own window, as the navigation does.
  calls::Calls(call).UnloadWindow(1);
}

class RuntimeWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image::ImageModel model = SmallModel();
    SetSlot(model, kEntrySlot, reinterpret_cast<uintptr_t>(&NoOp));
    SetSlot(model, kExitSlot, reinterpret_cast<uintptr_t>(&OnClick));
    model.windows[0].controls[0].caption = "ok";
    model.windows[0].controls[0].bindings = {{0, kExitSlot}};
    image_ = std::make_unique<ImageBuffer>(Write(model));
    const Status loaded = rt_.runtime().Load(image_->bytes());
    ASSERT_TRUE(loaded.ok()) << loaded.ToString();
    calls_.emplace(rt_.runtime().code());
    clicks = &clicks_;
  }
  void TearDown() override { clicks = nullptr; }

  std::string TextProperty(uint32_t window, uint32_t control, int32_t number) {
    calls::OwnedText text = calls_->TakeText(
        calls::Text(reinterpret_cast<const char*>(calls_->GetProperty(window, control, number))));
    return text.get() != nullptr ? std::string(text.view()) : std::string("(null)");
  }

  std::unique_ptr<ImageBuffer> image_;
  RecordingRuntime rt_;
  std::optional<calls::Calls> calls_;
  Clicks clicks_;
};

TEST_F(RuntimeWindowsTest, PropertiesAndCommandsReachTheOpenWindow) {
  ASSERT_TRUE(calls_->LoadWindow(1));
  EXPECT_EQ(TextProperty(1, 12, property::kText), "ok");
  const char* changed = "new";
  calls_->SetProperty(1, 12, property::kText, reinterpret_cast<uintptr_t>(changed));
  EXPECT_EQ(TextProperty(1, 12, property::kText), "new");
  calls_->SetProperty(1, 12, property::kLeft, static_cast<uint32_t>(-5));
  EXPECT_EQ(static_cast<int32_t>(calls_->GetProperty(1, 12, property::kLeft)), -5);
  EXPECT_NE(calls_->GetControlHandle(calls::Object(1, 12, 0x1000B)), 0u);
  // An unknown window is not loaded.
  EXPECT_FALSE(calls_->LoadWindow(7));
  EXPECT_EQ(rt_.Errors(), "");
}

TEST_F(RuntimeWindowsTest, AClickRunsTheBoundRoutineWhichMayCloseItsWindow) {
  ASSERT_TRUE(calls_->LoadWindow(1));
  ui::UserActions user(*rt_.runtime().windows());
  ASSERT_TRUE(user.Click("w", "b").ok());
  EXPECT_EQ(clicks_.count, 1);
  EXPECT_EQ(clicks_.code.data(), rt_.runtime().code().data());
  EXPECT_FALSE(user.IsOpen("w"));
  user.ProcessEvents();
  // The message loop has nothing left to run.
  calls_->RunMessageLoop();
}

TEST_F(RuntimeWindowsTest, MessageBoxAnswersThroughTheResponder) {
  ui::Responder responder;
  rt_.runtime().windows()->SetResponder(&responder);
  responder.QueueMessageBoxAnswer(1);
  EXPECT_EQ(calls_->MessageBox("sure?", 1), 1);
  EXPECT_EQ(calls_->MessageBox("done", 0), 0);
  ASSERT_EQ(responder.message_boxes().size(), 2u);
  EXPECT_EQ(responder.message_boxes()[1].text, "done");
  EXPECT_EQ(responder.message_boxes()[1].caption, "pcshop");
}

}  // namespace
}  // namespace pcshop::kernel::testing
