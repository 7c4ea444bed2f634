#pragma once
// The test server: PCSHOP_TEST_SERVER, a libpq connection string (scripts/test
// starts a private cluster and sets it). Each test works in a schema of its
// own, dropped with all it holds at the end, so tests can run in parallel.

#include <string>

namespace pcshop::test_server {

inline constexpr char kNoTestServer[] =
    "no test server: set PCSHOP_TEST_SERVER (scripts/test starts one)";

// The test server's connection string, or null when there is none.
const char* TestServer();

// Runs `sql` (one or more statements) on a connection of its own; false, with
// the server's message in `error` when given, when it fails.
bool RunSql(const std::string& conninfo, const std::string& sql, std::string* error = nullptr);

// How many rows `sql` gave, or -1 when it failed.
int Rows(const std::string& conninfo, const std::string& sql);

class TestSchema {
 public:
  // Creates t_<pid>_<random> on the test server; error() says why when it
  // could not (no server, server down).
  TestSchema();
  TestSchema(const TestSchema&) = delete;
  TestSchema& operator=(const TestSchema&) = delete;
  ~TestSchema();

  bool ready() const { return ready_; }
  const std::string& error() const { return error_; }
  const std::string& name() const { return name_; }
  // The test server's connection string working in this schema.
  const std::string& conninfo() const { return conninfo_; }

 private:
  std::string name_;
  std::string conninfo_;
  std::string error_;
  bool ready_ = false;
};

}  // namespace pcshop::test_server
