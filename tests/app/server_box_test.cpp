// The box a counter shows when its database server is silent or refuses
// it, through the real image and the runtime: its exact words, within the
// time a user waits, and nothing more of the action after it. Each test
// names its own server in the program folder's settings.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/tables/server_settings.h"
#include "runtime/ui/test_seam.h"
#include "tests/app/app_fixture.h"
#include "tests/support/tcp_proxy.h"

namespace pcshop::app::testing {
namespace {

using Texts = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

constexpr char kQuote[] = "窗口配置单";
constexpr char kProduct[] = "窗口商品管理";
constexpr char kList[] = "超级列表框商品信息";

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class ServerBoxTest : public AppFixture {
 protected:
  void UseServer(const std::string& conninfo) {
    std::ofstream(folder_ / tables::kServerSettingsFile) << "server = " << conninfo << "\n";
  }
};

TEST_F(ServerBoxTest, AHostThatSwallowsConnectionsIsSaidWithinTenSecondsAtStart) {
  const test_server::TcpProxy swallow;
  ASSERT_TRUE(swallow.ready());
  const std::string port = std::to_string(swallow.port());
  UseServer("host=127.0.0.1 port=" + port + " dbname=pcshop user=counter");
  const auto start = Clock::now();
  Run([] { ADD_FAILURE() << "the program ran without its tables"; });
  EXPECT_LT(SecondsSince(start), 10.0);
  EXPECT_TRUE(runtime_->tables_refused());
  EXPECT_EQ(Messages(), Texts{"数据库服务器没有及时应答，请检查网络和服务器。\n程序无法启动。\n"
                              "详情：the server at 127.0.0.1:" + port +
                              " did not answer within 5 s while connecting"});
}

TEST_F(ServerBoxTest, AnAccountWithoutTheSchemaIsToldSoNotThatTheServerIsOutOfReach) {
  if (test_server::TestServer() == nullptr) GTEST_SKIP() << test_server::kNoTestServer;
  test_server::TestSchema schema;
  ASSERT_TRUE(schema.ready()) << schema.error();
  const std::string role = schema.name() + "_outsider";
  std::string error;
  ASSERT_TRUE(test_server::RunSql(test_server::TestServer(), "CREATE ROLE " + role + " LOGIN", &error))
      << error;
  UseServer(schema.conninfo() + " user=" + role);
  Run([] { ADD_FAILURE() << "the program ran without its tables"; });
  test_server::RunSql(test_server::TestServer(), "DROP ROLE " + role);
  EXPECT_EQ(Messages(), Texts{"数据库账户无法使用所设的架构（架构不存在或没有使用权限），"
                              "请管理员检查。\n程序无法启动。\n"
                              "详情：no schema has been selected to create in"});
}

// The network to the server stops passing data, as when a cable is pulled:
// 全部商品 and 新增 each end with the box alone within the time a user
// waits, and once the network is back the next action works.
TEST_F(ServerBoxTest, AServerThatStopsAnsweringEndsTheActionWithTheBoxAlone) {
  if (test_server::TestServer() == nullptr) GTEST_SKIP() << test_server::kNoTestServer;
  const int server_port = test_server::PortOf(test_server::TestServer());
  if (server_port == 0) GTEST_SKIP() << "the test server has no TCP port (scripts/pg-cluster --tcp)";
  test_server::TestSchema schema;
  ASSERT_TRUE(schema.ready()) << schema.error();
  test_server::TcpProxy proxy(server_port);
  ASSERT_TRUE(proxy.ready());
  // The server's statement_timeout of 1 s makes the program wait 3 s.
  UseServer(schema.conninfo() + " host=127.0.0.1 port=" + std::to_string(proxy.port()) +
            " options='-c search_path=" + schema.name() + " -c statement_timeout=1000'");
  const Texts box = {"数据库服务器没有及时应答，请检查网络和服务器。\n"
                     "本次操作未完成，已保存的数据不受影响。\n详情：the server at 127.0.0.1:" +
                     std::to_string(proxy.port()) + " sent nothing for 3 s"};
  Run([&] {
    Ok(user_->ChooseComboItem(kQuote, "组合框品名", 0));
    Ok(user_->SetText(kQuote, "组合框品牌", "A"));
    Ok(user_->SetText(kQuote, "组合框型号", "X1"));
    Ok(user_->SetText(kQuote, "编辑框价格", "5"));
    Click(kQuote, "按钮新增");
    ASSERT_EQ(Messages().back(), "增加成功");
    Click(kQuote, "按钮商品管理");

    proxy.Stall();
    auto start = Clock::now();
    Click(kProduct, "按钮全部商品");
    EXPECT_LT(SecondsSince(start), 15.0);
    EXPECT_EQ(Messages(), box);  // not 此项无记录

    proxy.Resume();
    Click(kProduct, "按钮全部商品");
    EXPECT_EQ(user_->RowCount(kProduct, kList), 1);
    EXPECT_EQ(Messages(), Texts{});

    Ok(user_->ChooseComboItem(kProduct, "组合框品名", 0));
    Ok(user_->SetText(kProduct, "组合框品牌", "A"));
    Ok(user_->SetText(kProduct, "组合框型号", "X2"));
    Ok(user_->SetText(kProduct, "编辑框价格", "7"));
    proxy.Stall();
    start = Clock::now();
    Click(kProduct, "按钮新增");
    EXPECT_LT(SecondsSince(start), 15.0);
    EXPECT_EQ(Messages(), box);  // no 确定增加吗, no 增加失败

    proxy.Resume();
    Click(kProduct, "按钮全部商品");
    EXPECT_EQ(user_->RowCount(kProduct, kList), 1);
    EXPECT_EQ(Messages(), Texts{});
  });
  EXPECT_FALSE(std::filesystem::exists(data())) << "a DATA folder beside a program on a server";
}

}  // namespace
}  // namespace pcshop::app::testing
