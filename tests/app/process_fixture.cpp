#include "tests/app/process_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "runtime/ui/test_seam.h"
#include "tests/runtime/tables/child_process.h"

namespace pcshop::app::testing {

namespace fs = std::filesystem;

size_t Threads() {
  std::error_code ec;
  size_t n = 0;
  for (auto it = fs::directory_iterator("/proc/self/task", ec);
       !ec && it != fs::directory_iterator(); it.increment(ec)) {
    ++n;
  }
  return n;
}

int KillRounds(int fallback) {
  const char* v = std::getenv("PCSHOP_KILL_ROUNDS");
  return v != nullptr && std::atoi(v) > 0 ? std::atoi(v) : fallback;
}

pid_t ProcessFixture::Child(int out, const std::function<int(int)>& scenario) {
  return tables::testing::Spawn(out, [this, scenario](int fd) {
    int code = 91;  // the scenario never ran
    AppFixture::Run([&] { code = scenario(fd); });
    return code;
  });
}

bool ProcessFixture::Clicked(const char* window, const char* control) {
  const bool ok = user_->Click(window, control).ok();
  user_->ProcessEvents();
  return ok;
}

void ProcessFixture::Prepare(const std::function<void()>& seed) {
  const pid_t pid = Child(-1, [&](int) {
    seed();
    return ::testing::Test::HasFailure() ? 1 : 0;
  });
  ASSERT_EQ(tables::testing::Wait(pid), 0) << "seeding failed";
}

}  // namespace pcshop::app::testing
