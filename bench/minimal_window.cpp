// The yardstick of scripts/bench-panel and scripts/bench-startup: the least a Qt Widgets program
// does to show a window. With --exit it ends as soon as its event loop has run once after the show
// (a program's whole life, from start to exit); otherwise it waits to be ended.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <cstring>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel window(QStringLiteral("minimal"));
  window.setWindowTitle(QStringLiteral("Minimal Qt window"));
  window.show();
  if (argc > 1 && std::strcmp(argv[1], "--exit") == 0) QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return QApplication::exec();
}
