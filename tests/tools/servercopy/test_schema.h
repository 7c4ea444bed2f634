#pragma once
// A schema of its own on the test server for one test (tests/support), with
// connections of the copy tool's kind into it.

#include <string>

#include "tests/support/test_server.h"
#include "tools/servercopy/pg_handle.h"

namespace pcshop::servercopy::testing {

using test_server::kNoTestServer;

// The test server's connection string, or "" when there is none.
inline std::string TestServer() {
  const char* s = test_server::TestServer();
  return s != nullptr ? s : "";
}

class TestSchema : public test_server::TestSchema {
 public:
  // A connection of the test's own, in this schema.
  PgConnection Open() const {
    auto conn = Connect(conninfo());
    return conn.ok() ? std::move(conn).value() : PgConnection();
  }
};

}  // namespace pcshop::servercopy::testing
