// The yardstick of scripts/bench-panel: the least a Qt Widgets program does to show a window.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel window(QStringLiteral("minimal"));
  window.setWindowTitle(QStringLiteral("Minimal Qt window"));
  window.show();
  return QApplication::exec();
}
