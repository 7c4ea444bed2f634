#pragma once
// The application in real processes: each child starts the real image on the
// runtime from scratch (no table connection crosses a fork), works its
// windows through the test seam and reports over a pipe; the parent kills it
// or waits for it, then reads the tables itself.

#include <sys/types.h>

#include <cstddef>
#include <functional>

#include "tests/app/stock_fixture.h"

namespace pcshop::app::testing {

// The threads of this process: a forked child may use Qt and SQLite only
// when the parent had no other thread (one could hold a lock the child
// inherits).
size_t Threads();

// The rounds of a kill test: `fallback`, or PCSHOP_KILL_ROUNDS when set (the
// sanitizer pass, where a start takes much longer, runs fewer).
int KillRounds(int fallback);

class ProcessFixture : public StockFixture {
 protected:
  // Runs the program in a child; `scenario` gets the pipe to report on and
  // its result is the child's exit code. A failed seam step exits with 90.
  pid_t Child(int out, const std::function<int(int)>& scenario);
  bool Do(const Status& s) { return s.ok(); }
  bool Clicked(const char* window, const char* control);
  // The program in a child of its own, once, to seed the data folder.
  void Prepare(const std::function<void()>& seed);
};

}  // namespace pcshop::app::testing
