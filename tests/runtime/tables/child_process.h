#pragma once
// Child processes for the table store's crash and concurrency tests: a body
// runs in a forked child and reports over a pipe; the parent reads its lines,
// kills it or waits for its exit code.

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

namespace pcshop::tables::testing {

// Runs `body` in a child process that writes to `out` and exits with
// body's result.
inline pid_t Spawn(int out, const std::function<int(int)>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body(out));
  return pid;
}

// Exit code of a finished child; -signal when a signal ended it.
inline int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

inline std::string Drain(int fd) {
  std::string all;
  char buf[4096];
  ssize_t n = 0;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) all.append(buf, static_cast<size_t>(n));
  ::close(fd);
  return all;
}

// Reads until `lines` whole lines have arrived (or the writer is gone).
inline std::string ReadLines(int fd, size_t lines) {
  std::string got;
  char buf[256];
  while (static_cast<size_t>(std::count(got.begin(), got.end(), '\n')) < lines) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}

inline void Say(int fd, const std::string& line) {
  const std::string l = line + "\n";
  if (::write(fd, l.data(), l.size()) != static_cast<ssize_t>(l.size())) ::_exit(9);
}

// Waits in a child until it is killed.
[[noreturn]] inline void Hang() {
  for (;;) ::pause();
}

inline std::string IntegrityCheck(const std::filesystem::path& p) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(p.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    result = sqlite3_step(st) == SQLITE_ROW
                 ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0))
                 : sqlite3_errmsg(db);
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return result;
}

}  // namespace pcshop::tables::testing
