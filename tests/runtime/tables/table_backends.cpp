#include "tests/runtime/tables/table_backends.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "runtime/tables/server_backend.h"

namespace pcshop::tables::testing {
namespace {

struct ConnFinish {
  void operator()(PGconn* c) const { PQfinish(c); }
};

bool Run(const std::string& conninfo, const std::string& sql) {
  std::unique_ptr<PGconn, ConnFinish> conn(PQconnectdb(conninfo.c_str()));
  if (PQstatus(conn.get()) != CONNECTION_OK) {
    ADD_FAILURE() << "test server: " << PQerrorMessage(conn.get());
    return false;
  }
  PGresult* r = PQexec(conn.get(), sql.c_str());
  const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
  if (!ok) ADD_FAILURE() << sql << ": " << PQerrorMessage(conn.get());
  PQclear(r);
  return ok;
}

}  // namespace

const char* TestServer() {
  const char* s = std::getenv("PCSHOP_TEST_SERVER");
  return s != nullptr && s[0] != '\0' ? s : nullptr;
}

ServerSchema::ServerSchema() {
  std::random_device seed;
  name_ = "t_" + std::to_string(::getpid()) + "_" + std::to_string(seed() % 1000000000u);
  conninfo_ = std::string(TestServer()) + " options='-c search_path=" + name_ + "'";
  Run(TestServer(), "CREATE SCHEMA " + name_);
}

ServerSchema::~ServerSchema() { Run(TestServer(), "DROP SCHEMA IF EXISTS " + name_ + " CASCADE"); }

bool RunOnServer(const ServerSchema& schema, const std::string& sql) {
  return Run(schema.conninfo(), sql);
}

void BackendTest::SetUp() {
  if (!server()) return;
  if (TestServer() == nullptr) GTEST_SKIP() << kNoTestServer;
  schema_.emplace();
}

std::unique_ptr<TableStore> BackendTest::NewStore() const {
  if (!server()) return std::make_unique<TableStore>();
  auto backend = ServerBackend::Connect(schema_->conninfo(), folder_.dir());
  if (!backend.ok()) {
    ADD_FAILURE() << backend.status().ToString();
    return std::make_unique<TableStore>();
  }
  return std::make_unique<TableStore>(std::move(backend).value());
}

std::string BackendTest::Where(std::string_view utf8_name) const {
  if (!server()) return folder_.Native(utf8_name).string();
  return "server table " + std::string(utf8_name);
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::kFile ? "File" : "Server";
}

}  // namespace pcshop::tables::testing
