#pragma once
// What a running program shows, read as a screen reader reads it: a private
// session bus for the program (its accessibility bus comes with it), and the
// accessibility tree of the program's windows read through it
// (tests/app/screen_text.py). Texts are the windows' own: labels, boxes and
// list cells as painted, so a display test checks what a user sees.

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace pcshop::app::testing {

// One window as read, in the order of its controls.
struct WindowText {
  std::vector<std::string> labels;
  std::vector<std::string> texts;              // edit boxes and combo boxes
  std::string focused;                         // the text of the box with the focus
  std::vector<std::vector<std::string>> rows;  // the list view's cells
};

// The windows shown, by caption (a message box's caption is pcshop).
struct ScreenText {
  std::map<std::string, WindowText> windows;
  // Every item read, one a line, for a failure message.
  std::string raw;

  bool Shows(const std::string& caption) const { return windows.count(caption) != 0; }
  // The window of that caption; an empty one when not shown.
  const WindowText& Window(const std::string& caption) const;
};

class ScreenReader {
 public:
  // Starts a session bus of its own; ready() says whether it runs.
  ScreenReader();
  ScreenReader(const ScreenReader&) = delete;
  ScreenReader& operator=(const ScreenReader&) = delete;
  ~ScreenReader();

  // Whether dbus-daemon, the accessibility bus and pyatspi are installed.
  static bool Available();

  bool ready() const { return !address_.empty(); }
  // What a program needs to be read: NAME=value entries for ProgramRun::Start.
  std::vector<std::string> ProgramEnvironment() const;
  // The windows the program with process id `pid` shows now; no windows
  // when it cannot be read (not registered yet, a window going away).
  ScreenText Read(pid_t pid) const;

 private:
  std::filesystem::path folder_;
  std::string address_;
  pid_t pid_ = -1;
};

}  // namespace pcshop::app::testing
