#pragma once
// A virtual display (Xvfb) for one test, and the shell helpers the display
// tests drive it with. Xvfb picks a free display number itself (-displayfd),
// so several displays in one test and tests running in parallel never meet.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

extern char** environ;

namespace pcshop::test_display {

// Whether a shell command succeeded.
inline bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

// What a shell command printed on its standard output.
inline std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    ::pclose(pipe);
  }
  return out;
}

// The first line a spawned helper writes to `fd` (its ready signal: Xvfb's
// display number, dbus-daemon's address), read until the newline, the end
// or ten quiet seconds; closes `fd`.
inline std::string FirstLine(int fd) {
  std::string line;
  pollfd wait_for = {fd, POLLIN, 0};
  while (::poll(&wait_for, 1, 10'000) == 1) {
    char c = 0;
    if (::read(fd, &c, 1) != 1 || c == '\n') break;
    line += c;
  }
  ::close(fd);
  return line;
}

class VirtualDisplay {
 public:
  VirtualDisplay() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    // The write end as descriptor 3 of Xvfb (dup2 drops close-on-exec), where
    // it writes the number it took once it accepts clients.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    char xvfb[] = "Xvfb";
    char displayfd[] = "-displayfd";
    char three[] = "3";
    char screen[] = "-screen";
    char zero[] = "0";
    char size[] = "1600x900x24";
    char nolisten[] = "-nolisten";
    char tcp[] = "tcp";
    // Without -noreset the server resets when its last client leaves: a
    // probe of the display would leave the program to connect mid-reset.
    char noreset[] = "-noreset";
    char* argv[] = {xvfb, displayfd, three, screen, zero, size, nolisten, tcp, noreset, nullptr};
    if (::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    // Nobody holds the write end when Xvfb did not start: the read ends at once.
    const std::string number = FirstLine(fds[0]);
    if (number.empty()) return;
    name_ = ":" + number;
    // Ready when a client can connect.
    for (int i = 0; i < 100; ++i) {
      if (Shell("xdpyinfo -display " + name_ + " >/dev/null 2>&1") ||
          Shell("DISPLAY=" + name_ + " xdotool getmouselocation >/dev/null 2>&1")) {
        ready_ = true;
        break;
      }
      ::usleep(50'000);
    }
  }
  ~VirtualDisplay() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool ready() const { return ready_; }
  // ":N"; empty when Xvfb did not start.
  const std::string& name() const { return name_; }
  // Whether Xvfb and xdotool are installed.
  static bool Available() {
    return Shell("command -v Xvfb >/dev/null && command -v xdotool >/dev/null");
  }

 private:
  std::string name_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

}  // namespace pcshop::test_display
