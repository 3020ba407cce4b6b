// A small window program for the window-bus tests: one copy per machine root (the second copy
// brings the first forward and ends), a main window that answers test messages, and extra
// windows to find or to skip.
//
//   bus_test_window --caption TEXT [--program NAME] [--extra TEXT] [--child TEXT] [--instance TEXT]
//                   [--log FILE]
//
// Copies with different program names (default "BusTestWindow") are different programs.
// Messages the main window answers (lParam 0 unless said):
//   WM_USER + RBF_HIDE/RBF_SHOW  hide/show the main window; RBF_CLOSE or SMI_CLOSE: quit
//   0x401  wParam * 3 + lParam when run on the UI thread, else -1
//   0x402  activate the extra window (the main window is then not the active one)
//   0x403  1 when the main window is the active window, else 0
//   0x404  sleep wParam milliseconds, then 7
//   0x405  send 0x406 (wParam, own handle) to window lParam and return its answer
//   0x406  send 0x401 (wParam, 0) to window lParam and return its answer + 1
// Every message is first appended to the log as "msg wParam lParam" (hexadecimal).
#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "core/driver_link.h"
#include "host/window_bus.h"
#include "host/window_bus_qt.h"
#include "platform/single_instance.h"

namespace {

std::string Option(int argc, char** argv, const char* name) {
  for (int i = 1; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], name)) return argv[i + 1];
  return "";
}

QWidget* Window(const std::string& caption, QWidget* parent = nullptr) {
  QWidget* w = parent ? new QDialog(parent) : new QWidget;
  w->setWindowTitle(QString::fromStdString(caption));
  w->resize(200, 100);
  w->show();
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace qx;
  const std::string caption = Option(argc, argv, "--caption");
  const std::string log = Option(argc, argv, "--log");

  // Before any window: a second copy finds the first and brings it forward.
  std::string program = Option(argc, argv, "--program");
  if (AnotherCopyRunning(program.empty() ? "BusTestWindow" : program)) {
    HWND first = FindCopyWindow(0, caption);
    if (!first) {
      std::printf("another copy, no window\n");
      return 3;
    }
    BOOL raised = SetForegroundWindow(first);
    BringWindowToTop(first);
    std::printf("another copy, raised %d: %d\n", first, raised);
    return raised ? 0 : 4;
  }

  QApplication app(argc, argv);
  if (!ServeWindowBus()) return 5;
  QWidget* main = Window(caption);
  QWidget* extra = Option(argc, argv, "--extra").empty() ? nullptr : Window(Option(argc, argv, "--extra"));
  if (std::string child = Option(argc, argv, "--child"); !child.empty()) Window(child, main);
  if (std::string other = Option(argc, argv, "--instance"); !other.empty())
    SetWindowWord(WindowHandle(Window(other)), GWW_HINSTANCE, 0x400);
  const HWND self = WindowHandle(main);

  SetWindowProc(self, [&](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (!log.empty()) {
      std::ofstream out(log, std::ios::app);
      out << std::hex << msg << ' ' << wParam << ' ' << lParam << '\n';
    }
    switch (msg) {
      case WM_USER:
        if (wParam == RBF_HIDE) main->hide();
        if (wParam == RBF_SHOW) main->show();
        if (wParam == RBF_CLOSE || wParam == SMI_CLOSE) app.quit();
        return 0;
      case WM_USER + 1:
        if (QThread::currentThread() != app.thread()) return -1;
        return static_cast<LRESULT>(wParam) * 3 + lParam;
      case WM_USER + 2:
        if (extra) extra->activateWindow();
        return extra ? 1 : 0;
      case WM_USER + 3: return QApplication::activeWindow() == main ? 1 : 0;
      case WM_USER + 4: std::this_thread::sleep_for(std::chrono::milliseconds(wParam)); return 7;
      case WM_USER + 5: return SendMessageA(static_cast<HWND>(lParam), WM_USER + 6, wParam, self);
      case WM_USER + 6: return SendMessageA(static_cast<HWND>(lParam), WM_USER + 1, wParam, 0) + 1;
      default: return 0;
    }
  });
  return app.exec();
}
