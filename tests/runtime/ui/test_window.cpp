#include "test_window.h"

#include <QCoreApplication>

#include "image/event_numbers.h"
#include "image/type_ids.h"
#include "runtime/text/gbk_codec.h"

namespace pcshop::ui::testing {
namespace {

namespace ev = image::event;
namespace type_id = image::type_id;

std::string Gbk(const char* utf8) { return *text::Utf8ToGbk(utf8); }

image::ControlForm Control(uint32_t id, uint32_t type, const char* name,
                           std::array<int32_t, 4> geometry, const char* caption = "") {
  image::ControlForm c;
  c.id = id;
  c.type = type;
  c.name = Gbk(name);
  c.left = geometry[0];
  c.top = geometry[1];
  c.width = geometry[2];
  c.height = geometry[3];
  c.caption = Gbk(caption);
  return c;
}

}  // namespace

std::vector<image::WindowForm> TestForms() {
  image::WindowForm w;
  w.id = kWindow;
  w.window = Control(10, type_id::kWindow, "主窗口", {50, 60, 640, 480}, "测试");
  w.window.bindings = {{ev::kWindowCreated, kCreated}};

  image::ControlForm edit = Control(kEdit, type_id::kEditBox, "编辑框名称", {10, 10, 120, 24});
  edit.input_limit = 4;
  edit.bindings = {{ev::kEditTextChanged, kEditChanged}};
  image::ControlForm button = Control(kButton, type_id::kButton, "按钮保存", {140, 10, 80, 24}, "保存");
  button.bindings = {{ev::kButtonClicked, kClicked}};
  image::ControlForm group = Control(kGroup, type_id::kGroupBox, "分组框1", {300, 100, 200, 150}, "商品");
  image::ControlForm inner = Control(kInner, type_id::kButton, "按钮里面", {20, 30, 60, 24}, "里面");
  inner.parent = 2;  // the group box
  inner.bindings = {{ev::kButtonClicked, kInnerClicked}};
  image::ControlForm label = Control(kLabel, type_id::kLabel, "透明标签1", {10, 40, 100, 20}, "标题");
  image::ControlForm list_only =
      Control(kListOnly, type_id::kComboBox, "组合框类别", {10, 70, 120, 24});
  list_only.style = image::style::kComboListOnly;
  list_only.items = {Gbk("个人"), Gbk("公司")};
  list_only.bindings = {{ev::kComboAboutToDropDown, kDropDown},
                        {ev::kComboItemChosen, kChosen},
                        {ev::kComboTextChanged, kComboText}};
  image::ControlForm editable = Control(kEditable, type_id::kComboBox, "组合框编辑", {10, 100, 120, 24});
  editable.bindings = {{ev::kComboEnterPressed, kComboEnter}, {ev::kFocusLost, kComboLeft}};
  image::ControlForm list = Control(kList, type_id::kListView, "超级列表框1", {10, 260, 400, 200});
  list.style = image::style::kListReport;
  list.columns = {{Gbk("序号"), 50, 0}, {Gbk("品名"), 120, 0}, {Gbk("金额"), 80, 1}};
  list.rows = {{"1", Gbk("主板"), "100"}, {"2", Gbk("内存"), "200"}, {"3", "", ""}};
  list.bindings = {{ev::kPress, kListPress}, {ev::kListCurrentRowChanged, kListRow}};
  image::ControlForm dialog = Control(kDialog, type_id::kCommonDialog, "通用对话框1", {0, 0, 0, 0});
  dialog.visible = false;
  w.controls = {edit, button, group, inner, label, list_only, editable, list, dialog};

  image::WindowForm other;
  other.id = kOther;
  other.window = Control(20, type_id::kWindow, "窗口二", {0, 0, 300, 200}, "第二");
  other.window.bindings = {{ev::kWindowCreated, kOtherCreated}};
  image::ControlForm other_button = Control(21, type_id::kButton, "按钮二", {10, 10, 80, 24}, "二");
  other_button.bindings = {{ev::kButtonClicked, kOtherClicked}};
  other.controls = {other_button};
  return {w, other};
}

TestWindows::TestWindows()
    : forms_(TestForms()),
      windows_(std::make_unique<WindowManager>(
          forms_,
          [this](uint32_t handler, std::span<const int32_t> data) {
            raised_.push_back({handler, std::vector<int32_t>(data.begin(), data.end())});
            if (auto it = actions_.find(handler); it != actions_.end()) it->second();
          })),
      user_(*windows_) {
  windows_->SetResponder(&responder_);
}

TestWindows::~TestWindows() {
  windows_.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::vector<uint32_t> TestWindows::Handlers() const {
  std::vector<uint32_t> handlers;
  for (const Raised& r : raised_) handlers.push_back(r.handler);
  return handlers;
}

}  // namespace pcshop::ui::testing
