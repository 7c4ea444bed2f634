#include "runtime/dll/dll_bindings.h"

#include <gtest/gtest.h>

#include "runtime/dll/path_functions.h"
#include "tests/runtime/files/scoped_data_home.h"

namespace pcshop::dll {
namespace {

using Twice = int (*)(int);

// Built beside this test (dll_bind_target); an ASCII path is its own GBK text.
constexpr const char* kTarget = PCSHOP_BIND_TARGET;

TEST(DllBindingsTest, BoundFunctionIsCallableUntilReleased) {
  DllBindings bindings;
  ASSERT_TRUE(bindings.BindDllLibrary(kTarget, "BindTargetTwice").ok());
  auto twice = reinterpret_cast<Twice>(bindings.Find("BindTargetTwice"));
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(twice(21), 42);
  EXPECT_EQ(bindings.Find("SomethingElse"), nullptr);

  ASSERT_TRUE(bindings.BindDllLibrary("", "").ok());  // both omitted: release
  EXPECT_EQ(bindings.Find("BindTargetTwice"), nullptr);
  EXPECT_EQ(bindings.size(), 0u);
}

TEST(DllBindingsTest, MissingLibraryCarriesTheLoaderText) {
  DllBindings bindings;
  const std::string path = "/nonexistent/SkinMV.dll";
  EXPECT_EQ(bindings.BindDllLibrary(path, "SkinAttachRes").message(),
            path + ": cannot open shared object file: No such file or directory");
  EXPECT_EQ(bindings.size(), 0u);
}

TEST(DllBindingsTest, MissingFunctionCarriesTheLoaderTextAndDropsTheOldBinding) {
  DllBindings bindings;
  ASSERT_TRUE(bindings.BindDllLibrary(kTarget, "BindTargetTwice").ok());
  EXPECT_EQ(bindings.BindDllLibrary(kTarget, "NotExported").message(),
            std::string(kTarget) + ": undefined symbol: NotExported");
  EXPECT_NE(bindings.Find("BindTargetTwice"), nullptr);  // other names stay

  // A failed rebind of the same name must not leave the old library behind it.
  EXPECT_FALSE(bindings.BindDllLibrary("/nonexistent/x.so", "BindTargetTwice").ok());
  EXPECT_EQ(bindings.Find("BindTargetTwice"), nullptr);
}

TEST(DllBindingsTest, HalfOmittedArgumentsAndBadPathsAreRefused) {
  DllBindings bindings;
  EXPECT_EQ(bindings.BindDllLibrary(kTarget, "").message(),
            "a binding needs both a library path and a function name");
  EXPECT_EQ(bindings.BindDllLibrary("", "BindTargetTwice").message(),
            "a binding needs both a library path and a function name");
  EXPECT_EQ(bindings.BindDllLibrary("/x/\xC5", "f").message(), "path is not valid GBK");
}

TEST(DllBindingsTest, BindsALibraryCopiedToAChineseDrivePath) {
  pcshop::testing::ScopedDataHome home;
  std::filesystem::create_directories(home.drive_c() / "windows" / "system32");
  // As the skin deployment does: copy into the system folder, then bind there.
  const std::string target = "c:\\windows\\system32\\\xB2\xE5\xBC\xFE.dll";
  ASSERT_EQ(CopyFileA(kTarget, target.c_str(), 1), 1);
  DllBindings bindings;
  ASSERT_TRUE(bindings.BindDllLibrary(target, "BindTargetTwice").ok());
  auto twice = reinterpret_cast<Twice>(bindings.Find("BindTargetTwice"));
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(twice(5), 10);
}

}  // namespace
}  // namespace pcshop::dll
