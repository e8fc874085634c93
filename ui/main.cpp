// quorvane: the window that packs files into one .ZVK package and unpacks
// such packages.
#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "jobs/job_host.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"

namespace {

bool has_environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Qt gives up with abort() when it cannot reach a display; say so plainly
// and leave with an error code instead of a crash.
void report_fatal_and_exit(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return;
  }
  std::fprintf(stderr, "quorvane: cannot open the window: %s\n", message.toLocal8Bit().constData());
  std::_Exit(EXIT_FAILURE);
}

}  // namespace

int main(int argc, char** argv) {
  // Past a file-size limit a write should fail and be reported, not kill us.
  std::signal(SIGXFSZ, SIG_IGN);

  if (!has_environment("DISPLAY") && !has_environment("WAYLAND_DISPLAY") && !has_environment("QT_QPA_PLATFORM")) {
    std::fprintf(stderr, "quorvane: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set)\n");
    return EXIT_FAILURE;
  }

  const QtMessageHandler previous = qInstallMessageHandler(report_fatal_and_exit);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);

  qv::ui::QtDialogs dialogs;
  qv::jobs::WallClock clock;
  qv::ui::MainWindow window(dialogs, clock);
  window.show();
  window.activateWindow();
  return app.exec();
}
