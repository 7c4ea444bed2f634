#include "bench/support/files_then_server.h"

#include <cstdio>
#include <optional>

#include "tests/support/test_server.h"
#include "tools/servercopy/server_copy.h"

namespace pcshop::bench {

bool RunOnFilesThenServer(
    const char* name, const std::function<bool(AppSession&)>& seed,
    const std::function<bool(AppSession&, const std::string& server, const char* where)>& measure) {
  std::optional<test_server::TestSchema> schema;
  if (test_server::TestServer() != nullptr) schema.emplace();
  bool ran = RunProgram(name, "", [&](AppSession& s) {
    if (!seed(s)) return false;
    if (schema && schema->ready()) {
      auto copied = servercopy::CopyToServer(s.program / "DATA", schema->conninfo(), {});
      if (!copied.ok()) {
        std::fprintf(stderr, "%s: %s\n", name, copied.status().message().c_str());
        schema.reset();
      }
    }
    return measure(s, "", "Files");
  });
  if (ran && schema && schema->ready()) {
    ran = RunProgram(name, schema->conninfo(), [&](AppSession& s) {
      return measure(s, schema->conninfo(), "Server");
    });
  } else if (schema) {
    std::fprintf(stderr, "%s: no server run: %s\n", name,
                 schema->ready() ? "the copy failed" : schema->error().c_str());
  }
  return ran;
}

}  // namespace pcshop::bench
