// mkimage refuses damaged forms with a message naming the file and the item.
#include <gtest/gtest.h>

#include "tools/mkimage/form_loader.h"
#include "tools/mkimage/image_builder.h"

namespace pcshop::mkimage {
namespace {

constexpr std::string_view kFile = "forms/test.json";

std::string Window(std::string_view controls) {
  return R"({"key": "test", "name": "窗口", "caption": "测试", "geometry": [0, 0, 1440, 800],
             "controls": [)" +
         std::string(controls) + "]}";
}

std::string Refusal(std::string_view json) {
  Result<SourceWindow> w = LoadWindowForm(json, kFile);
  EXPECT_FALSE(w.ok());
  return w.ok() ? std::string() : w.status().message();
}

TEST(MkimageRefusalTest, LoadsAWellFormedWindow) {
  Result<SourceWindow> w = LoadWindowForm(
      Window(R"({"name": "分组框1", "kind": "group", "geometry": [1, 2, 300, 400]},
                {"name": "按钮保存", "kind": "button", "geometry": [5, 6, 70, 40],
                 "caption": "保存", "parent": "分组框1", "enabled": false,
                 "bindings": [{"event": "clicked", "routine": "SaveConfig"}]})"),
      kFile);
  ASSERT_TRUE(w.ok()) << w.status().message();
  ASSERT_EQ(w->controls.size(), 2u);
  const SourceControl& button = w->controls[1];
  EXPECT_EQ(button.form.caption, "\xB1\xA3\xB4\xE6");  // 保存 in GBK
  EXPECT_EQ(button.form.parent, 0);
  EXPECT_FALSE(button.form.enabled);
  ASSERT_EQ(button.bindings.size(), 1u);
  EXPECT_EQ(button.bindings[0].event, 0);
  EXPECT_EQ(button.bindings[0].routine, "SaveConfig");
}

TEST(MkimageRefusalTest, MalformedJsonNamesFileAndLine) {
  EXPECT_EQ(Refusal("{\n  \"key\": \"test\",\n  \"name\": }"),
            "forms/test.json: malformed JSON at line 3: object is missing after a comma");
  EXPECT_EQ(Refusal("[1, 2]"), "forms/test.json: malformed JSON: the top level is not an object");
}

TEST(MkimageRefusalTest, UnknownEventIsRefused) {
  EXPECT_EQ(Refusal(Window(R"({"name": "按钮1", "kind": "button", "geometry": [0, 0, 1, 1],
                               "bindings": [{"event": "item_chosen", "routine": "X"}]})")),
            "forms/test.json: control 按钮1: unknown event \"item_chosen\"");
}

TEST(MkimageRefusalTest, BindingWithoutRoutineIsRefused) {
  EXPECT_EQ(Refusal(Window(R"({"name": "按钮1", "kind": "button", "geometry": [0, 0, 1, 1],
                               "bindings": [{"event": "clicked"}]})")),
            "forms/test.json: control 按钮1: event \"clicked\" has no routine");
}

TEST(MkimageRefusalTest, TextOutsideGbkIsRefused) {
  const std::string message =
      Refusal(Window(R"({"name": "按钮1", "kind": "button", "geometry": [0, 0, 1, 1],
                         "caption": "한글"})"));
  EXPECT_EQ(message.rfind("forms/test.json: control 按钮1: text \"한글\" cannot be written in GBK", 0),
            0u)
      << message;

  Result<std::vector<SourceText>> texts =
      LoadTexts(R"({"SaveOk": "写入配置成功", "Smile": "😀"})", "forms/texts.json");
  ASSERT_FALSE(texts.ok());
  EXPECT_EQ(texts.status().message().rfind(
                "forms/texts.json: text Smile: text \"😀\" cannot be written in GBK", 0),
            0u)
      << texts.status().message();
}

TEST(MkimageRefusalTest, DuplicateNamesAndBadParentsAreRefused) {
  EXPECT_EQ(Refusal(Window(R"({"name": "按钮1", "kind": "button", "geometry": [0, 0, 1, 1]},
                               {"name": "按钮1", "kind": "label", "geometry": [0, 0, 1, 1]})")),
            "forms/test.json: control 按钮1: duplicate control name");
  EXPECT_EQ(Refusal(Window(R"({"name": "按钮1", "kind": "button", "geometry": [0, 0, 1, 1]},
                               {"name": "按钮2", "kind": "button", "geometry": [0, 0, 1, 1],
                                "parent": "按钮1"})")),
            "forms/test.json: control 按钮2: parent \"按钮1\" is not a group box listed before it");
  EXPECT_EQ(Refusal(Window(R"({"name": "按钮1", "kind": "knob", "geometry": [0, 0, 1, 1]})")),
            "forms/test.json: control 按钮1: unknown kind \"knob\"");
  EXPECT_EQ(Refusal(Window(R"({"name": "按钮1", "kind": "button", "geometry": [0, 0, 1]})")),
            "forms/test.json: control 按钮1: \"geometry\" must be [left, top, width, height]");
}

TEST(MkimageRefusalTest, TextKeysMustBeCamelCase) {
  Result<std::vector<SourceText>> texts = LoadTexts(R"({"save_ok": "x"})", "forms/texts.json");
  ASSERT_FALSE(texts.ok());
  EXPECT_EQ(texts.status().message(),
            "forms/texts.json: text save_ok: a text key must be ASCII CamelCase");
}

TEST(MkimageRefusalTest, TwoWindowsWithOneKeyAreRefused) {
  Result<SourceWindow> w = LoadWindowForm(Window(""), kFile);
  ASSERT_TRUE(w.ok());
  AppSources sources;
  sources.windows = {*w, *w};
  sources.windows[1].file = "forms/other.json";
  Result<BuiltImage> built = BuildImage(sources);
  ASSERT_FALSE(built.ok());
  EXPECT_EQ(built.status().message(),
            "forms/other.json: window key \"test\" is already used by forms/test.json");
}

}  // namespace
}  // namespace pcshop::mkimage
