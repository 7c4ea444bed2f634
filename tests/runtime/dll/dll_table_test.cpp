#include "runtime/dll/dll_table.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/runtime/files/scoped_data_home.h"

namespace pcshop::dll {
namespace {

struct Declared {
  const char* library;
  const char* function;
  uint32_t argument_count;
};

// The platform functions as the application's command table declares them.
class DeclaredFunctionTest : public ::testing::TestWithParam<Declared> {};

TEST_P(DeclaredFunctionTest, ResolvesWithItsArgumentCount) {
  auto f = ResolveDllFunction(GetParam().library, GetParam().function);
  ASSERT_TRUE(f.ok()) << f.status().ToString();
  EXPECT_EQ(f->argument_count, GetParam().argument_count);
  EXPECT_NE(f->call, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    CommandTable, DeclaredFunctionTest,
    ::testing::Values(Declared{"kernel32", "GetSystemDirectoryA", 2},
                      Declared{"shlwapi.dll", "PathFileExistsA", 1},
                      Declared{"kernel32.dll", "CopyFileA", 3},
                      Declared{"shlwapi.dll", "PathIsDirectoryA", 1},
                      Declared{"dbghelp.dll", "MakeSureDirectoryPathExists", 1},
                      Declared{"kernel32.dll", "lstrcpyn", 3},
                      Declared{"KERNEL32.DLL", "lstrcpynA", 3},
                      Declared{"shlwapi.dll", "PathRemoveBlanksA", 1}),
    [](const ::testing::TestParamInfo<Declared>& p) { return std::string(p.param.function); });

TEST(DllTableTest, SendMessageAnswersThroughTheListControls) {
  const Result<DllFunction> f = ResolveDllFunction("user32.dll", "SendMessageA");
  ASSERT_TRUE(f.ok());
  EXPECT_EQ(f->argument_count, 4u);
  EXPECT_EQ(f->call, nullptr);
  EXPECT_NE(f->list_call, nullptr);
}

TEST(DllTableTest, UnknownPairsAreClearErrors) {
  EXPECT_EQ(ResolveDllFunction("kernel32", "NoSuchFunction").status().message(),
            "kernel32!NoSuchFunction is not a platform function the runtime supplies");
  EXPECT_EQ(ResolveDllFunction("shlwapi.dll", "CopyFileA").status().message(),
            "shlwapi.dll!CopyFileA is not a platform function the runtime supplies");
  EXPECT_FALSE(ResolveDllFunction("kernel32", "getsystemdirectorya").ok());
  EXPECT_FALSE(ResolveDllFunction("SkinMV.dll", "SkinAttachRes").ok());
}

TEST(DllTableTest, ThunksPassWordsAndAddressesThrough) {
  pcshop::testing::ScopedDataHome home;
  std::string buffer(255, '\0');
  auto get = ResolveDllFunction("kernel32", "GetSystemDirectoryA");
  ASSERT_TRUE(get.ok());
  const NativeWord get_args[] = {reinterpret_cast<NativeWord>(buffer.data()), 255};
  EXPECT_EQ(get->call(get_args), 19u);
  EXPECT_STREQ(buffer.c_str(), "C:\\windows\\system32");

  auto copy = ResolveDllFunction("kernel32.dll", "lstrcpyn");
  ASSERT_TRUE(copy.ok());
  const NativeWord copy_args[] = {reinterpret_cast<NativeWord>(buffer.data()),
                                  reinterpret_cast<NativeWord>(buffer.data()), 0};
  EXPECT_EQ(copy->call(copy_args), reinterpret_cast<NativeWord>(buffer.data()));

  auto is_dir = ResolveDllFunction("shlwapi.dll", "PathIsDirectoryA");
  ASSERT_TRUE(is_dir.ok());
  const NativeWord dir_args[] = {reinterpret_cast<NativeWord>(buffer.c_str())};
  EXPECT_EQ(is_dir->call(dir_args), 16u);
}

}  // namespace
}  // namespace pcshop::dll
