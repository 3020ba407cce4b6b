#include "host/window_bus_qt.h"

#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>

#include "host/window_bus.h"
#include "host/window_bus_server.h"
#include "host/window_input.h"
#include "host/window_input_qt.h"

namespace qx {

namespace {

std::uint64_t Now() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// Windows that a person would see as windows of the program.
bool Listable(const QWidget* w) {
  if (!w->isWindow()) return false;
  Qt::WindowType type = w->windowType();
  return type != Qt::Popup && type != Qt::ToolTip && type != Qt::Desktop;
}

// WM_CLOSE closes the window; input messages reach it as the person's input would.
LRESULT DefaultProc(const QPointer<QWidget>& widget, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE && widget) widget->close();
  if (IsInputMessage(msg)) QueueWindowInput(widget.data(), msg, wParam, lParam);
  return 0;
}

// The process's windows as the bus sees them: each window's number, procedure, instance word
// and when it came to the top.
class QtWindowHost : public QObject, public WindowHost {
 public:
  explicit QtWindowHost(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }
  ~QtWindowHost() override { StopWindowBus(); }

  bool Serve() {
    if (notifier_) return true;
    int fd = StartWindowBus(this);
    if (fd < 0) return false;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [] { ServePendingBusRequests(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [] { StopWindowBus(); });
    std::atexit([] { StopWindowBus(); });
    return true;
  }

  HWND Handle(QWidget* widget) {
    if (!widget) return 0;
    QWidget* window = widget->window();
    auto known = numbers_.find(window);
    if (known != numbers_.end()) return Base() + known->second;
    int n = FreeNumber();
    if (!n) return 0;  // 255 windows alive at once: no more handles
    numbers_[window] = n;
    records_[n].widget = window;
    connect(window, &QObject::destroyed, this, [this, window, n] {
      numbers_.erase(window);
      records_.erase(n);
    });
    return Base() + n;
  }

  QWidget* Widget(HWND h) {
    Record* r = Find(h);
    return r ? r->widget.data() : nullptr;
  }

  WindowProc SetProc(HWND h, WindowProc proc) {
    Record* r = Find(h);
    if (!r) return {};
    WindowProc previous = r->proc;
    if (!previous) {
      QPointer<QWidget> widget = r->widget;
      previous = [widget](UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(widget, msg, wParam, lParam); };
    }
    r->proc = std::move(proc);
    return previous;
  }

  WORD SetInstance(HWND h, WORD value) {
    Record* r = Find(h);
    if (!r) return 0;
    WORD previous = r->instance;
    r->instance = value;
    return previous;
  }

  std::vector<bus::WindowEntry> Windows() override {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (Listable(w)) Handle(w);
    std::vector<bus::WindowEntry> entries;
    for (auto& [n, r] : records_) {
      QWidget* w = r.widget.data();
      if (!w || !Listable(w)) continue;
      bus::WindowEntry e;
      e.handle = Base() + n;
      e.parent = w->parentWidget() ? Handle(w->parentWidget()) : 0;
      e.instance = r.instance;
      e.visible = w->isVisible();
      e.activatedAt = r.activatedAt;
      e.caption = w->windowTitle().toStdString();
      entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(), bus::NearerTop);
    return entries;
  }

  bool Deliver(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    Record* r = Find(h);
    if (!r) return false;
    // A copy: the procedure may replace itself or destroy its window while it runs.
    WindowProc proc = r->proc;
    QPointer<QWidget> widget = r->widget;
    *result = proc ? proc(msg, wParam, lParam) : DefaultProc(widget, msg, wParam, lParam);
    return true;
  }

  bool Raise(HWND h) override {
    Record* r = Find(h);
    if (!r) return false;
    QWidget* w = r->widget.data();
    if (w->isVisible() && w->isMinimized()) w->showNormal();
    w->raise();
    w->activateWindow();
    r->activatedAt = Now();
    return true;
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if ((event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) && object->isWidgetType()) {
      auto* w = static_cast<QWidget*>(object);
      if (Listable(w)) {
        HWND h = Handle(w);
        if (Record* r = Find(h)) r->activatedAt = Now();
      }
    }
    return false;
  }

 private:
  struct Record {
    QPointer<QWidget> widget;
    WindowProc proc;  // empty: the default procedure
    WORD instance = 0;
    std::uint64_t activatedAt = 0;
  };

  static HWND Base() { return static_cast<HWND>(::getpid()) * bus::kWindowsPerProcess; }

  Record* Find(HWND h) {
    if (h <= Base() || h >= Base() + bus::kWindowsPerProcess) return nullptr;
    auto it = records_.find(h - Base());
    return it != records_.end() && it->second.widget ? &it->second : nullptr;
  }

  // Numbers go round 1..255 so that a handle just freed is not handed out again at once.
  int FreeNumber() {
    for (int tries = 0; tries < bus::kWindowsPerProcess - 1; ++tries) {
      next_ = next_ % (bus::kWindowsPerProcess - 1) + 1;
      if (!records_.count(next_)) return next_;
    }
    return 0;
  }

  std::map<int, Record> records_;
  std::map<QWidget*, int> numbers_;
  int next_ = 0;
  QSocketNotifier* notifier_ = nullptr;
};

QtWindowHost* Host() {
  static QPointer<QtWindowHost> host;
  if (!host && qApp) host = new QtWindowHost(qApp);
  return host.data();
}

}  // namespace

bool ServeWindowBus() {
  QtWindowHost* host = Host();
  return host && host->Serve();
}

HWND WindowHandle(QWidget* widget) {
  QtWindowHost* host = Host();
  return host ? host->Handle(widget) : 0;
}

QWidget* WindowWidget(HWND h) {
  QtWindowHost* host = Host();
  return host ? host->Widget(h) : nullptr;
}

WindowProc SetWindowProc(HWND h, WindowProc proc) {
  QtWindowHost* host = Host();
  return host ? host->SetProc(h, std::move(proc)) : WindowProc();
}

WORD SetWindowWord(HWND h, int index, WORD value) {
  QtWindowHost* host = Host();
  return host && index == GWW_HINSTANCE ? host->SetInstance(h, value) : 0;
}

}  // namespace qx
