#pragma once
// A small window form with one control of each kind, and a window manager
// whose event handlers are recorded by their binding number.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "image/image_view.h"
#include "runtime/ui/responder.h"
#include "runtime/ui/test_seam.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::ui::testing {

// Window ids and control ids of TestForms().
inline constexpr uint32_t kWindow = 1;
inline constexpr uint32_t kOther = 2;
inline constexpr uint32_t kEdit = 11, kButton = 12, kGroup = 13, kInner = 14, kLabel = 15,
                          kListOnly = 16, kEditable = 17, kList = 18, kDialog = 19;

// Handler numbers: each binding's code offset is its own number.
enum Handler : uint32_t {
  kCreated = 100, kClicked, kInnerClicked, kDropDown, kChosen, kComboText, kComboEnter,
  kComboLeft, kEditChanged, kListPress, kListRow, kOtherCreated, kOtherClicked,
};

// Window "主窗口" (caption "测试") with the controls above, and window
// "窗口二" with one button "按钮二".
std::vector<image::WindowForm> TestForms();

struct Raised {
  uint32_t handler;
  std::vector<int32_t> data;
};

class TestWindows {
 public:
  TestWindows();
  ~TestWindows();

  WindowManager& windows() { return *windows_; }
  UserActions& user() { return user_; }
  Responder& responder() { return responder_; }
  const std::vector<Raised>& raised() const { return raised_; }
  std::vector<uint32_t> Handlers() const;
  // Runs instead of recording when the handler is called.
  void On(uint32_t handler, std::function<void()> action) { actions_[handler] = std::move(action); }

 private:
  std::vector<image::WindowForm> forms_;
  std::vector<Raised> raised_;
  std::map<uint32_t, std::function<void()>> actions_;
  std::unique_ptr<WindowManager> windows_;
  UserActions user_;
  Responder responder_;
};

}  // namespace pcshop::ui::testing
