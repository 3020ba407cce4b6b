#include "ui/monitor_following.h"

#include <QApplication>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QScreen>
#include <utility>

#include "host/machine_root.h"
#include "host/program_state.h"
#include "ui/window_placement.h"

namespace qx {

namespace {

constexpr char kPlaceName[] = "qxMonitorPlace";

// How a window is placed again, kept as its child: it goes with the window.
class MonitorPlace : public QObject {
 public:
  MonitorPlace(QWidget* window, std::function<void()> place) : QObject(window), place_(std::move(place)) {
    setObjectName(kPlaceName);
  }
  void Place() const { place_(); }
  void Set(std::function<void()> place) { place_ = std::move(place); }

 private:
  std::function<void()> place_;
};

// The touchscreen's monitor as the windows stand on it: which screen, its place, its work area.
struct MonitorSeen {
  QString name;
  QRect geometry;
  QRect workArea;
  bool operator==(const MonitorSeen&) const = default;
};

MonitorSeen SeenNow() {
  const QScreen* screen = WindowScreen();
  if (!screen) return {};
  return {screen->name(), screen->geometry(), WorkAreaOn(screen)};
}

class MonitorWatch : public QObject {
 public:
  explicit MonitorWatch(QObject* parent) : QObject(parent), seen_(SeenNow()) {
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
      WatchScreen(screen);
      Changed();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &MonitorWatch::Changed);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &MonitorWatch::Changed);
    for (QScreen* screen : QGuiApplication::screens()) WatchScreen(screen);
    // No service yet, no folder: the screens' signals still count.
    files_.addPath(QString::fromStdString(MachineRoot() + "/device"));
    connect(&files_, &QFileSystemWatcher::directoryChanged, this, &MonitorWatch::Changed);
  }

 private:
  void WatchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &MonitorWatch::Changed);
    connect(screen, &QScreen::availableGeometryChanged, this, &MonitorWatch::Changed);
  }
  // One change comes as several signals (a file written aside and renamed, a screen's place and
  // work area): the monitor is asked once, after them all.
  void Changed() {
    if (std::exchange(due_, true)) return;
    QMetaObject::invokeMethod(
        this, [this] { Look(); }, Qt::QueuedConnection);
  }
  void Look() {
    due_ = false;
    MonitorSeen now = SeenNow();
    if (now == seen_) return;
    seen_ = std::move(now);
    // Hidden ones too: a main window hidden behind its dialog comes back where the dialog went.
    // The windows of no window first, then those of one (a box over its window), which stand
    // where their window went.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const bool owned : {false, true})
      for (QWidget* window : windows)
        if (const auto* place = window->findChild<MonitorPlace*>(kPlaceName, Qt::FindDirectChildrenOnly);
            place && (window->parentWidget() != nullptr) == owned)
          place->Place();
  }

  MonitorSeen seen_;
  QFileSystemWatcher files_;
  bool due_ = false;
};

QPointer<MonitorWatch>& Watch() {
  static QPointer<MonitorWatch> watch;
  return watch;
}

// A fresh program's watch looks at its own root.
const ProgramState kWatchState([] { delete Watch().data(); });

}  // namespace

void FollowTouchscreenMonitor(QWidget* window, std::function<void()> place) {
  if (!Watch()) Watch() = new MonitorWatch(qApp);
  if (auto* kept = window->findChild<MonitorPlace*>(kPlaceName, Qt::FindDirectChildrenOnly)) {
    kept->Set(std::move(place));
    return;
  }
  new MonitorPlace(window, std::move(place));
}

}  // namespace qx
