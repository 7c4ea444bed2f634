#pragma once
// A schema of its own on the test server for one test, so tests can run in
// parallel: created fresh, named t_<random>, dropped with all it holds at
// the end. The server comes from PCSHOP_TEST_SERVER (scripts/test starts one).

#include <libpq-fe.h>

#include <cstdlib>
#include <random>
#include <string>

#include "tools/servercopy/pg_handle.h"

namespace pcshop::servercopy::testing {

inline constexpr const char* kNoServer =
    "no test server: set PCSHOP_TEST_SERVER (scripts/test starts one)";

// The test server's connection string, or "" when there is none.
inline std::string TestServer() {
  const char* s = std::getenv("PCSHOP_TEST_SERVER");
  return s != nullptr ? s : "";
}

class TestSchema {
 public:
  TestSchema() {
    const std::string base = TestServer();
    if (base.empty()) return;
    std::random_device rd;
    name_ = "t_" + std::to_string(rd()) + std::to_string(rd());
    auto conn = Connect(base);
    if (!conn.ok()) {
      error_ = conn.status().message();
      return;
    }
    admin_ = std::move(conn).value();
    if (Status s = Exec(admin_.get(), "CREATE SCHEMA " + name_, "creating the schema"); !s.ok()) {
      error_ = s.message();
      admin_.reset();
      return;
    }
    conninfo_ = base + " options='-c search_path=" + name_ + "'";
  }
  TestSchema(const TestSchema&) = delete;
  TestSchema& operator=(const TestSchema&) = delete;
  ~TestSchema() {
    if (admin_) (void)Exec(admin_.get(), "DROP SCHEMA " + name_ + " CASCADE", "dropping");
  }

  bool ready() const { return static_cast<bool>(admin_); }
  const std::string& error() const { return error_; }
  // The connection string that works in this schema.
  const std::string& conninfo() const { return conninfo_; }
  // A connection of the test's own, in this schema.
  PgConnection Open() const {
    auto conn = Connect(conninfo_);
    return conn.ok() ? std::move(conn).value() : PgConnection();
  }

 private:
  std::string name_;
  std::string conninfo_;
  std::string error_;
  PgConnection admin_;
};

}  // namespace pcshop::servercopy::testing
