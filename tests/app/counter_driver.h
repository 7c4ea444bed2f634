#pragma once
// One copy of the built program on a virtual display of its own, driven as a
// user drives it: presses with xdotool, texts through the clipboard, what it
// shows read through the accessibility bus (tests/app/screen_reader.h).
// Points are in a window's client area (forms/*.json). Display tests that
// use it skip without Xvfb, xdotool, xclip, the accessibility bus or pyatspi
// (Available()).

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/program_run.h"
#include "tests/app/screen_reader.h"
#include "tests/support/virtual_display.h"

namespace pcshop::app::testing {

// A message box's caption.
inline constexpr char kMessageBox[] = "pcshop";

struct Point {
  int x;
  int y;
};

// The items that are not empty, joined for a failure message.
inline std::string Joined(const std::vector<std::string>& items) {
  std::string all;
  for (const std::string& item : items) {
    if (!item.empty()) all += (all.empty() ? "" : " | ") + item;
  }
  return all;
}

// Why a display test cannot run here; empty when it can.
inline std::string DisplayMissing() {
  using test_display::Shell;
  if (!test_display::VirtualDisplay::Available() || !Shell("command -v xclip >/dev/null")) {
    return "needs Xvfb, xdotool and xclip";
  }
  if (!ScreenReader::Available()) {
    return "needs dbus-daemon, at-spi2-core and python3-pyatspi to read the screen";
  }
  return {};
}

// One counter: its display, its session bus and its copy of the program,
// which keeps every table on the server of `conninfo`, or in its own DATA
// folder when `conninfo` is empty.
class Counter {
 public:
  explicit Counter(const std::string& conninfo = {})
      : run_(PCSHOP_PROGRAM_FILE, PCSHOP_SKIN_FILE) {
    if (!conninfo.empty()) {
      std::ofstream(run_.program_folder() / "pcshop-server.conf")
          << "server = " << conninfo << "\n";
    }
  }

  bool ready() const { return display_.ready() && reader_.ready(); }

  bool Start() {
    std::vector<std::string> env = reader_.ProgramEnvironment();
    env.push_back("DISPLAY=" + display_.name());
    env.push_back("QT_QPA_PLATFORM=xcb");
    return run_.Start(env) && WaitForWindow("配置单", std::chrono::seconds(30));
  }
  bool Running() { return run_.Running(); }
  // A first start that makes the tables, then the program stopped so that a
  // test can seed them before the start it drives.
  bool StartToMakeTheTables() {
    if (!Start()) return false;
    run_.Terminate();
    return run_.WaitFor([&] { return !Running(); }, std::chrono::seconds(5));
  }
  ProgramRun& run() { return run_; }

  ScreenText Screen() const { return reader_.Read(run_.pid()); }
  // Reads the screen until `done` holds of it or the time runs out; true
  // when it held. `last` gets the last screen read.
  bool WaitForScreen(const std::function<bool(const ScreenText&)>& done, ScreenText* last,
                     std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return run_.WaitFor(
        [&] {
          *last = Screen();
          return done(*last);
        },
        limit);
  }
  // The window shows and the program answers its screen reader: it has
  // left its handlers and takes input.
  bool WaitForWindow(const std::string& caption, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    ScreenText screen;
    return WaitForScreen([&](const ScreenText& s) { return s.Shows(caption); }, &screen, limit);
  }

  bool Press(const std::string& caption, Point at) {
    const std::string id = WindowId(caption);
    return !id.empty() && Xdotool("mousemove --window " + id + " " + std::to_string(at.x) + " " +
                                  std::to_string(at.y) + " click 1");
  }

  // Presses a navigation button until the window it opens shows.
  bool Navigate(const std::string& from, Point button, const std::string& to) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (!Press(from, button)) return false;
      if (WaitForWindow(to, std::chrono::seconds(5))) return true;
    }
    return false;
  }

  // Replaces the text of the box at `at` with `text`, through the clipboard:
  // typing Chinese with xdotool remaps a spare key, and a busy handler reads
  // some characters with the next mapping. The box with the focus is read
  // back until it holds exactly the text; a press lost (the window not yet
  // taking input) or a paste cut short is tried again.
  bool Paste(const std::string& caption, Point at, const std::string& text) {
    for (int attempt = 0; attempt < 4; ++attempt) {
      if (!Press(caption, at) ||
          !test_display::Shell("printf '%s' '" + text + "' | " + OnDisplay() + "xclip -selection clipboard") ||
          !Key("ctrl+a ctrl+v")) {
        return false;
      }
      ScreenText screen;
      if (WaitForScreen([&](const ScreenText& s) { return s.Window(caption).focused == text; },
                        &screen, std::chrono::seconds(2))) {
        return true;
      }
    }
    return false;
  }

  // Answers the program's file dialog (captioned `caption`) with `path`: put
  // into its file name box, which has the focus, through the clipboard, then
  // Return, as a user pastes a path there.
  bool ChooseFile(const std::string& caption, const std::string& path) {
    const std::string id = WindowId(caption);
    return !id.empty() &&
           test_display::Shell("printf '%s' '" + path + "' | " + OnDisplay() +
                               "xclip -selection clipboard") &&
           Xdotool("windowfocus --sync " + id + " key ctrl+a ctrl+v Return") &&
           run_.WaitFor([&] { return WindowId(caption, std::chrono::milliseconds(0)).empty(); },
                        std::chrono::seconds(5));
  }

  // Types `text` (Latin) one key at a time, as a user types.
  bool Type(const std::string& text) { return Xdotool("type --delay 120 '" + text + "'"); }

  // Keys to the window with the focus, e.g. "Return".
  bool Key(const std::string& keys) { return Xdotool("key " + keys); }

  // Chooses item `index` of the list of the combo box whose arrow is at `at`.
  bool Choose(const std::string& caption, Point at, int index) {
    const std::set<std::string> before = WindowsShown();
    if (!Press(caption, at)) return false;
    // The list is a window of its own.
    std::string list;
    run_.WaitFor(
        [&] {
          for (const std::string& id : WindowsShown()) {
            if (before.count(id) == 0) list = id;
          }
          return !list.empty();
        },
        std::chrono::seconds(5));
    if (list.empty()) return false;
    std::string keys = "Home";
    for (int i = 0; i < index; ++i) keys += " Down";
    return Key(keys + " Return") &&
           run_.WaitFor([&] { return WindowsShown().count(list) == 0; }, std::chrono::seconds(5));
  }

  // The text of the message box shown (it waits for one), accepted with
  // Return; empty when none came.
  std::string Answer() {
    ScreenText screen;
    if (!WaitForScreen([](const ScreenText& s) { return s.Shows(kMessageBox); }, &screen)) {
      return "";
    }
    const std::string id = WindowId(kMessageBox);
    if (id.empty() || !Xdotool("windowfocus --sync " + id + " key Return")) return "";
    run_.WaitFor([&] { return WindowId(kMessageBox, std::chrono::milliseconds(0)) != id; }, std::chrono::seconds(5));
    return Joined(screen.Window(kMessageBox).labels);
  }

  // The whole screen as a picture.
  bool Snapshot(const std::filesystem::path& file) const {
    return test_display::Shell("import -window root -display " + display_.name() + " '" + file.string() + "'");
  }

 private:
  std::string OnDisplay() const { return "DISPLAY=" + display_.name() + " "; }
  bool Xdotool(const std::string& args) const {
    return test_display::Shell(OnDisplay() + "timeout 10 xdotool " + args + " >/dev/null 2>&1");
  }
  // The first window shown with that caption; empty when none shows within
  // `limit`.
  std::string WindowId(const std::string& caption, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::string id;
    run_.WaitFor(
        [&] {
          id = test_display::Output(OnDisplay() + "xdotool search --onlyvisible --name '^" + caption +
                      "$' 2>/dev/null | head -n 1");
          if (!id.empty()) id.pop_back();
          return !id.empty();
        },
        limit);
    return id;
  }
  // The program's windows on screen: its window, a message box, a list.
  std::set<std::string> WindowsShown() {
    std::istringstream ids(test_display::Output(OnDisplay() + "xdotool search --onlyvisible --pid " +
                                  std::to_string(run_.pid()) + " 2>/dev/null"));
    std::set<std::string> shown;
    for (std::string id; std::getline(ids, id);) shown.insert(id);
    return shown;
  }

  // Declared in this order: the program ends before its bus and display.
  test_display::VirtualDisplay display_;
  ScreenReader reader_;
  ProgramRun run_;
};


}  // namespace pcshop::app::testing
