#include "base/error_box.h"

#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdlib>
#include <string>

namespace pcshop {
namespace {

bool HasDisplay() {
  const auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && v[0] != '\0';
  };
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  const bool offscreen = qpa != nullptr && std::string(qpa) == "offscreen";
  return (set("DISPLAY") || set("WAYLAND_DISPLAY")) && !offscreen;
}

// The reason is already on standard error; when Qt cannot reach the display
// it ends with a fatal message, and the process then ends with our failure
// code instead of aborting.
void QuietUnlessFatal(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type == QtFatalMsg) ::_exit(kErrorBoxExitCode);
}

void ShowBox(std::string_view message) {
  QMessageBox::critical(nullptr, QStringLiteral("Error"),
                        QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
}

}  // namespace

void ShowErrorBox(std::string_view message) {
  if (!HasDisplay()) return;
  qInstallMessageHandler(&QuietUnlessFatal);
  if (QApplication::instance() != nullptr) {
    ShowBox(message);
    return;
  }
  static int argc = 1;
  static char name[] = "pcshop";
  static char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  ShowBox(message);
}

}  // namespace pcshop
