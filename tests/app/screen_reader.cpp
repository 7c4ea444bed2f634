#include "tests/app/screen_reader.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "tests/support/virtual_display.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(line);
  while (std::getline(in, part, '\t')) parts.push_back(part);
  if (!line.empty() && line.back() == '\t') parts.emplace_back();
  return parts;
}

ScreenText Parse(const std::string& out) {
  ScreenText screen;
  screen.raw = out;
  std::istringstream in(out);
  std::string line;
  WindowText* window = nullptr;
  while (std::getline(in, line)) {
    std::vector<std::string> parts = Split(line);
    if (parts.empty()) continue;
    const std::string value = parts.size() > 1 ? parts[1] : "";
    if (parts[0] == "window") {
      window = &screen.windows[value];
    } else if (window == nullptr) {
      continue;
    } else if (parts[0] == "label") {
      window->labels.push_back(value);
    } else if (parts[0] == "focused") {
      window->focused = value;
    } else if (parts[0] == "text") {
      window->texts.push_back(value);
    } else if (parts[0] == "row" && parts.size() > 2) {
      window->rows.emplace_back(parts.begin() + 2, parts.end());
    }
  }
  return screen;
}

}  // namespace

const WindowText& ScreenText::Window(const std::string& caption) const {
  static const WindowText kNone;
  const auto it = windows.find(caption);
  return it != windows.end() ? it->second : kNone;
}

bool ScreenReader::Available() {
  return std::system(
             "command -v dbus-daemon >/dev/null && "
             "test -x /usr/libexec/at-spi-bus-launcher && "
             "/usr/bin/python3 -c 'import pyatspi' 2>/dev/null") == 0;
}

ScreenReader::ScreenReader() {
  std::string pattern = (fs::temp_directory_path() / "pcshop-bus-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return;
  folder_ = pattern;
  // The accessibility bus the session bus starts puts its socket into the
  // runtime folder: a folder of this bus's own, so buses never share one. It
  // gets no display: the program then finds it through the session bus.
  std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + folder_.string()};
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (!entry.starts_with("XDG_RUNTIME_DIR=") && !entry.starts_with("DISPLAY=") &&
        !entry.starts_with("DBUS_SESSION_BUS_ADDRESS=") && !entry.starts_with("AT_SPI_")) {
      env.push_back(entry);
    }
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
  // Run as root it complains of the descriptor limit it may not raise.
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string address = "--address=unix:dir=" + folder_.string();
  char daemon[] = "dbus-daemon";
  char session[] = "--session";
  char nofork[] = "--nofork";
  char print[] = "--print-address=3";
  char* argv[] = {daemon, session, nofork, address.data(), print, nullptr};
  if (::posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  // The daemon prints its address once it accepts connections.
  const std::string line = test_display::FirstLine(fds[0]);
  if (line.starts_with("unix:")) address_ = line;
}

ScreenReader::~ScreenReader() {
  // The accessibility bus and its registry end with the session bus.
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
}

std::vector<std::string> ScreenReader::ProgramEnvironment() const {
  // Qt serves the accessibility tree only when asked to or when a screen
  // reader runs; the test reads it without one.
  return {"DBUS_SESSION_BUS_ADDRESS=" + address_, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"};
}

ScreenText ScreenReader::Read(pid_t pid) const {
  const std::string command = "env -u DISPLAY DBUS_SESSION_BUS_ADDRESS='" + address_ +
                              "' /usr/bin/python3 " + PCSHOP_SCREEN_TEXT_SCRIPT + " " +
                              std::to_string(pid) + " 2>/dev/null";
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  if (::pclose(pipe) != 0) return {};
  return Parse(out);
}

}  // namespace pcshop::app::testing
