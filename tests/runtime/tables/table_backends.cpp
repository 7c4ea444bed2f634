#include "tests/runtime/tables/table_backends.h"

#include "runtime/tables/server_backend.h"

namespace pcshop::tables::testing {

bool RunOnServer(const ServerSchema& schema, const std::string& sql) {
  std::string error;
  const bool ok = test_server::RunSql(schema.conninfo(), sql, &error);
  if (!ok) ADD_FAILURE() << error;
  return ok;
}

void BackendTest::SetUp() {
  if (!server()) return;
  if (TestServer() == nullptr) GTEST_SKIP() << kNoTestServer;
  schema_.emplace();
  ASSERT_TRUE(schema_->ready()) << schema_->error();
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
