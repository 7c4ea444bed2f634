// pcshop-copy as a shop owner runs it: exit codes and what it says.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/runtime/tables/table_test_folder.h"
#include "tests/tools/servercopy/shop_data.h"
#include "tests/tools/servercopy/test_schema.h"

namespace pcshop::servercopy::testing {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
  int exit_code = -1;
  std::string output;  // standard output and error together
};

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

CommandRun Copy(const std::string& args) {
  CommandRun run;
  const std::string cmd = Quoted(PCSHOP_COPY_PATH) + " " + args + " 2>&1";
  FILE* pipe = ::popen(cmd.c_str(), "r");
  if (pipe == nullptr) return run;
  char buf[512];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.output.append(buf, n);
  const int status = ::pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class CopyCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = folder_.dir() / "DATA";
    fs::create_directories(data_);
    WriteShop(data_, SmallShop());
  }
  tables::testing::TestFolder folder_;
  fs::path data_;
};

TEST_F(CopyCommandTest, WrongUseExitsWithTwoAndHelpExplains) {
  EXPECT_EQ(Copy("").exit_code, 2);
  EXPECT_EQ(Copy("sideways a b").exit_code, 2);
  EXPECT_EQ(Copy("to-server " + Quoted(data_) + " 'dbname=x' --force").exit_code, 2);
  const CommandRun help = Copy("--help");
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.output.find("--replace"), std::string::npos);
  EXPECT_NE(help.output.find("~/.pgpass"), std::string::npos);
}

TEST_F(CopyCommandTest, PasswordOnTheCommandLineIsRefused) {
  const CommandRun run =
      Copy("to-server " + Quoted(data_) + " 'host=127.0.0.1 dbname=x password=secret'");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("~/.pgpass"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("secret"), std::string::npos) << run.output;
}

TEST_F(CopyCommandTest, CopiesBothWaysAndRefusesToOverwriteWithExitOne) {
  if (TestServer().empty()) GTEST_SKIP() << kNoTestServer;
  TestSchema schema;
  ASSERT_TRUE(schema.ready()) << schema.error();
  const std::string conn = Quoted(schema.conninfo());

  CommandRun run = Copy("to-server " + Quoted(data_) + " " + conn);
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("DATA/配置.zdb: 2 records copied and checked"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("Copied 5 tables with 10 records"), std::string::npos) << run.output;

  run = Copy("to-server " + Quoted(data_) + " " + conn);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find("DATA/客户信息.zdb already holds 2 records"), std::string::npos)
      << run.output;
  EXPECT_EQ(Copy("--replace to-server " + Quoted(data_) + " " + conn).exit_code, 0);

  const fs::path back = folder_.dir() / "back" / "DATA";
  EXPECT_EQ(Copy("from-server " + conn + " " + Quoted(back)).exit_code, 0);
  run = Copy("from-server " + conn + " " + Quoted(back));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.output.find((back / "CPU.zdb").string()), std::string::npos) << run.output;
}

}  // namespace
}  // namespace pcshop::servercopy::testing
