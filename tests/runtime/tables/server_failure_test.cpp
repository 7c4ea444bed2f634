// What a counter hears from a server that is silent or refuses it: every
// wait ends in time, the failure names its cause, the next operation
// connects again, and a role works as far as its rights go.

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "runtime/tables/server_backend.h"
#include "runtime/tables/server_failure.h"
#include "tests/runtime/tables/table_backends.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/support/tcp_proxy.h"

namespace pcshop::tables {
namespace {

using testing::Gbk;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The fault's words and the server's text of a ServerFailure.
std::pair<std::string, std::string> Said(const Status& s) {
  const auto parts = ServerFailureOf(s);
  if (!parts) return {"not a server failure", s.ToString()};
  return {parts->cause, parts->server_text};
}

std::vector<FieldValue> Product(int price) { return {Gbk("CPU"), "b", "m", price, ""}; }

TEST(ServerSilenceTest, ConnectingToAHostThatSwallowsConnectionsEndsInTime) {
  const test_server::TcpProxy swallow;
  ASSERT_TRUE(swallow.ready());
  const std::string host = "host=127.0.0.1 port=" + std::to_string(swallow.port()) + " dbname=x";
  const struct {
    std::string extra;
    int seconds;
  } cases[] = {{"", kConnectSeconds}, {" connect_timeout=2", 2}};
  for (const auto& c : cases) {
    testing::TestFolder folder;
    const auto start = Clock::now();
    const Status s = ServerBackend::Connect(host + c.extra, folder.dir()).status();
    const double took = SecondsSince(start);
    EXPECT_EQ(Said(s), std::make_pair(std::string(ServerFaultText(ServerFault::kTimeout)),
                                      "the server at 127.0.0.1:" + std::to_string(swallow.port()) +
                                          " did not answer within " + std::to_string(c.seconds) +
                                          " s while connecting"));
    EXPECT_GT(took, c.seconds - 0.5) << c.extra;
    EXPECT_LT(took, c.seconds + 2.0) << c.extra;
  }
}

TEST(ServerSilenceTest, AServerThatStopsAnsweringFailsInTimeAndTheNextOperationReconnects) {
  if (testing::TestServer() == nullptr) GTEST_SKIP() << testing::kNoTestServer;
  const int server_port = test_server::PortOf(testing::TestServer());
  if (server_port == 0) GTEST_SKIP() << "the test server has no TCP port (scripts/pg-cluster --tcp)";
  testing::ServerSchema schema;
  ASSERT_TRUE(schema.ready()) << schema.error();
  test_server::TcpProxy proxy(server_port);
  ASSERT_TRUE(proxy.ready());
  // The server's statement_timeout of 1 s makes the program wait 3 s.
  const std::string conninfo = schema.conninfo() + " host=127.0.0.1 port=" +
                               std::to_string(proxy.port()) + " options='-c search_path=" +
                               schema.name() + " -c statement_timeout=1000'";
  testing::TestFolder folder;
  auto backend = ServerBackend::Connect(conninfo, folder.dir());
  ASSERT_TRUE(backend.ok()) << backend.status().ToString();
  TableStore store(std::move(backend).value());
  const std::string path = folder.Text("CPU.zdb");
  ASSERT_TRUE(store.CreateTable(path, testing::ProductLayout()).ok());
  ASSERT_TRUE(store.OpenTable(path, "CPU").ok());
  ASSERT_TRUE(store.AppendRecord(Product(1)).ok());

  proxy.Stall();
  const auto start = Clock::now();
  const Status lost = store.AppendRecord(Product(2));
  EXPECT_LT(SecondsSince(start), 4.5);
  EXPECT_EQ(Said(lost), std::make_pair(std::string(ServerFaultText(ServerFault::kTimeout)),
                                       "the server at 127.0.0.1:" + std::to_string(proxy.port()) +
                                           " sent nothing for 3 s"));
  proxy.Resume();
  // The write that went unanswered was never committed.
  EXPECT_EQ(*store.RecordCount(), 1);
  ASSERT_TRUE(store.AppendRecord(Product(3)).ok());
  EXPECT_EQ(*store.RecordCount(), 2);
}

// Roles an administrator gives counters: every right on the tables but none
// to change the schema; reading only; nothing at all on the schema.
TEST(ServerRightsTest, ARoleWorksAsFarAsItsRightsGoAndIsToldWhyNoFurther) {
  if (testing::TestServer() == nullptr) GTEST_SKIP() << testing::kNoTestServer;
  testing::ServerSchema schema;
  ASSERT_TRUE(schema.ready()) << schema.error();
  testing::TestFolder folder;
  const std::string path = folder.Text("CPU.zdb");
  {
    auto owner = ServerBackend::Connect(schema.conninfo(), folder.dir());
    ASSERT_TRUE(owner.ok()) << owner.status().ToString();
    TableStore store(std::move(owner).value());
    ASSERT_TRUE(store.CreateTable(path, testing::ProductLayout()).ok());
    ASSERT_TRUE(store.OpenTable(path, "CPU").ok());
    ASSERT_TRUE(store.AppendRecord(Product(1)).ok());
  }
  const std::string& s = schema.name();
  const struct {
    const char* role;
    std::string grants;
    std::optional<ServerFault> start_fault, write_fault;
    std::string server_text;
  } cases[] = {
      {"counter",
       "GRANT USAGE ON SCHEMA " + s + " TO %r; GRANT ALL ON ALL TABLES IN SCHEMA " + s +
           " TO %r; GRANT ALL ON ALL SEQUENCES IN SCHEMA " + s + " TO %r",
       std::nullopt, std::nullopt, ""},
      {"reader", "GRANT USAGE ON SCHEMA " + s + " TO %r; GRANT SELECT ON ALL TABLES IN SCHEMA " + s + " TO %r",
       std::nullopt, ServerFault::kNoRight, "permission denied for table pcshop_tables"},
      {"outsider", "SELECT 1", ServerFault::kNoSchema, std::nullopt,
       "no schema has been selected to create in"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.role);
    const std::string role = s + "_" + c.role;
    std::string grants = c.grants;
    for (size_t at = grants.find("%r"); at != std::string::npos; at = grants.find("%r")) {
      grants.replace(at, 2, role);
    }
    ASSERT_TRUE(testing::RunOnServer(schema, "CREATE ROLE " + role + " LOGIN; " + grants));
    struct DropRole {
      const testing::ServerSchema& schema;
      std::string role;
      ~DropRole() {
        test_server::RunSql(testing::TestServer(), "DROP OWNED BY " + role + "; DROP ROLE " + role);
      }
    } drop{schema, role};

    auto backend = ServerBackend::Connect(schema.conninfo() + " user=" + role, folder.dir());
    if (c.start_fault) {
      EXPECT_EQ(Said(backend.status()),
                std::make_pair(std::string(ServerFaultText(*c.start_fault)), c.server_text));
      continue;
    }
    ASSERT_TRUE(backend.ok()) << backend.status().ToString();
    TableStore store(std::move(backend).value());
    // The start-up's "create when missing" of a table that is there.
    EXPECT_EQ(store.CreateTable(path, testing::ProductLayout()).code(),
              Status::Code::kInvalidArgument);
    ASSERT_TRUE(store.OpenTable(path, "CPU").ok());
    const int before = *store.RecordCount();
    const Status write = store.AppendRecord(Product(2));
    if (c.write_fault) {
      EXPECT_EQ(Said(write), std::make_pair(std::string(ServerFaultText(*c.write_fault)), c.server_text));
      EXPECT_EQ(*store.RecordCount(), before);
    } else {
      EXPECT_TRUE(write.ok()) << write.ToString();
      EXPECT_EQ(*store.RecordCount(), before + 1);
    }
  }
}

}  // namespace
}  // namespace pcshop::tables
