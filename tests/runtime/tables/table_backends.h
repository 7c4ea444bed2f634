#pragma once
// The table store's suites run once on table files and once on the test
// server (PCSHOP_TEST_SERVER, tests/support/test_server.h), each server test
// in a schema of its own; without the variable the server cases are skipped.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/tables/table_store.h"
#include "tests/runtime/tables/table_test_folder.h"
#include "tests/support/test_server.h"

namespace pcshop::tables::testing {

enum class Backend { kFile, kServer };

using test_server::kNoTestServer;
using test_server::TestServer;
using ServerSchema = test_server::TestSchema;

// Runs one statement on the test server in `schema` (for setting up what
// the store must cope with); false, with the failure added, when it fails.
bool RunOnServer(const ServerSchema& schema, const std::string& sql);

class BackendTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override;
  bool server() const { return GetParam() == Backend::kServer; }
  // A store of its own: on the server, a connection of its own, as another
  // counter would have.
  std::unique_ptr<TableStore> NewStore() const;
  // How the store's messages name the table `utf8_name` of the folder.
  std::string Where(std::string_view utf8_name) const;

  TestFolder folder_;
  std::optional<ServerSchema> schema_;
};

std::string BackendName(const ::testing::TestParamInfo<Backend>& info);

}  // namespace pcshop::tables::testing

#define PCSHOP_ON_BOTH_BACKENDS(Suite)                                                           \
  INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                                      \
                           ::testing::Values(::pcshop::tables::testing::Backend::kFile,          \
                                             ::pcshop::tables::testing::Backend::kServer),       \
                           ::pcshop::tables::testing::BackendName)
