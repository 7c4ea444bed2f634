#pragma once
// The shape of the benchmarks that measure the program on files and on the
// server: a shop seeded as files and measured there, then (with a test
// server, PCSHOP_TEST_SERVER) copied to a schema of its own and measured
// again with the program keeping its tables on the server.

#include <functional>
#include <string>

#include "bench/support/app_session.h"

namespace pcshop::bench {

// `seed` fills the program's DATA behind its back; `measure` runs with the
// program open on files (server "", where "Files") and then on the server
// (its connection string, "Server"). Why a server run could not be made is
// said on stderr. False when a run failed.
bool RunOnFilesThenServer(
    const char* name, const std::function<bool(AppSession&)>& seed,
    const std::function<bool(AppSession&, const std::string& server, const char* where)>& measure);

}  // namespace pcshop::bench
