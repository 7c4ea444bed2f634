#include "tests/support/test_server.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <random>

namespace pcshop::test_server {
namespace {

struct ConnFinish {
  void operator()(PGconn* c) const { PQfinish(c); }
};
struct ResultClear {
  void operator()(PGresult* r) const { PQclear(r); }
};

}  // namespace

const char* TestServer() {
  const char* s = std::getenv("PCSHOP_TEST_SERVER");
  return s != nullptr && s[0] != '\0' ? s : nullptr;
}

bool RunSql(const std::string& conninfo, const std::string& sql, std::string* error) {
  std::unique_ptr<PGconn, ConnFinish> conn(PQconnectdb(conninfo.c_str()));
  bool ok = PQstatus(conn.get()) == CONNECTION_OK;
  if (ok) {
    // DROP ... CASCADE lists every table it drops: not worth a line each.
    PQsetNoticeProcessor(conn.get(), [](void*, const char*) {}, nullptr);
    std::unique_ptr<PGresult, ResultClear> r(PQexec(conn.get(), sql.c_str()));
    const ExecStatusType status = PQresultStatus(r.get());
    ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
  }
  if (!ok && error != nullptr) *error = sql + ": " + PQerrorMessage(conn.get());
  return ok;
}

int Rows(const std::string& conninfo, const std::string& sql) {
  std::unique_ptr<PGconn, ConnFinish> conn(PQconnectdb(conninfo.c_str()));
  if (PQstatus(conn.get()) != CONNECTION_OK) return -1;
  std::unique_ptr<PGresult, ResultClear> r(PQexec(conn.get(), sql.c_str()));
  return PQresultStatus(r.get()) == PGRES_TUPLES_OK ? PQntuples(r.get()) : -1;
}

TestSchema::TestSchema() {
  const char* server = TestServer();
  if (server == nullptr) {
    error_ = kNoTestServer;
    return;
  }
  std::random_device seed;
  name_ = "t_" + std::to_string(::getpid()) + "_" + std::to_string(seed() % 1000000000u);
  conninfo_ = std::string(server) + " options='-c search_path=" + name_ + "'";
  ready_ = RunSql(server, "CREATE SCHEMA " + name_, &error_);
}

TestSchema::~TestSchema() {
  if (ready_) RunSql(TestServer(), "DROP SCHEMA IF EXISTS " + name_ + " CASCADE");
}

}  // namespace pcshop::test_server
