// A server restarted while a counter runs: the next operation reconnects (or
// says clearly that it could not), and nothing acknowledged is lost. Needs
// the test server's data folder in PCSHOP_TEST_SERVER_DATA, to restart it
// with pg_ctl (PCSHOP_TEST_PG_CTL, else pg_ctl from PATH).

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "runtime/tables/server_backend.h"
#include "tests/runtime/tables/table_backends.h"
#include "tests/runtime/tables/table_layouts.h"

namespace pcshop::tables {
namespace {

using testing::Gbk;

// Restarts the server in `data`, as the folder's owner when run as root
// (the server refuses to run as root).
bool RestartServer(const std::string& data) {
  const char* pg_ctl = std::getenv("PCSHOP_TEST_PG_CTL");
  std::string command = std::string(pg_ctl != nullptr ? pg_ctl : "pg_ctl") + " -D '" + data +
                        "' restart -m fast -w -l '" + data + "/restart.log' >/dev/null 2>&1";
  struct stat st {};
  if (::getuid() == 0 && ::stat(data.c_str(), &st) == 0 && st.st_uid != 0) {
    command = "su -s /bin/sh \"$(stat -c %U '" + data + "')\" -c \"" + command + "\"";
  }
  // The restarted server outlives the test: it must not keep any file the
  // test has open (the build lock above all), so they are closed first.
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close_range(3, ~0U, 0);
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

class ServerRestartTest : public ::testing::Test {};

TEST_F(ServerRestartTest, TheNextOperationReconnectsAndNothingAcknowledgedIsLost) {
  if (testing::TestServer() == nullptr) GTEST_SKIP() << testing::kNoTestServer;
  const char* data = std::getenv("PCSHOP_TEST_SERVER_DATA");
  if (data == nullptr || data[0] == '\0') {
    GTEST_SKIP() << "no server data folder: set PCSHOP_TEST_SERVER_DATA to restart the test server";
  }
  testing::ServerSchema schema;
  ASSERT_TRUE(schema.ready()) << schema.error();
  testing::TestFolder folder;
  auto backend = ServerBackend::Connect(schema.conninfo(), folder.dir());
  ASSERT_TRUE(backend.ok()) << backend.status().ToString();
  TableStore store(std::move(backend).value());
  const std::string path = folder.Text("CPU.zdb");
  ASSERT_TRUE(store.CreateTable(path, testing::ProductLayout()).ok());
  ASSERT_TRUE(store.OpenTable(path, "CPU").ok());
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(store.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), "b", "m" + std::to_string(i), i}).ok());
  }

  ASSERT_TRUE(RestartServer(data)) << "pg_ctl restart failed; see " << data << "/restart.log";

  // The first operation may report the lost connection; it must say so, and
  // the one after it works on a new connection.
  const Status append = store.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), "b", "m4", 4});
  if (!append.ok()) {
    EXPECT_NE(append.message().find("server table CPU.zdb: AppendRecord"), std::string::npos)
        << append.message();
    ASSERT_TRUE(store.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), "b", "m4", 4}).ok());
  }
  ASSERT_EQ(*store.RecordCount(), 4);
  for (int i = 1; i <= 4; ++i) {
    ASSERT_TRUE(store.GoToRecord(i).ok());
    EXPECT_EQ(std::get<int64_t>(*store.ReadField(Gbk("价格"))), i);
  }
  // The records on the server are what this counter was told it wrote.
  auto other_backend = ServerBackend::Connect(schema.conninfo(), folder.dir());
  ASSERT_TRUE(other_backend.ok());
  TableStore other(std::move(other_backend).value());
  ASSERT_TRUE(other.OpenTable(path, "CPU").ok());
  EXPECT_EQ(*other.RecordCount(), 4);
}

}  // namespace
}  // namespace pcshop::tables
