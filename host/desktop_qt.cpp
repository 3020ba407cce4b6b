#include "host/desktop_qt.h"

#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>

#include "host/desktop.h"

namespace qx {

namespace {

RECT ToRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

void FollowDoubleClickTime() {
  UINT time = GetDoubleClickTime();
  if (time > 0 && QGuiApplication::styleHints()->mouseDoubleClickInterval() != static_cast<int>(time))
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(static_cast<int>(time));
}

}  // namespace

void InstallDesktopHook() {
  SetScreenSource([]() -> std::optional<ScreenGeometry> {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return std::nullopt;
    return ScreenGeometry{ToRect(screen->geometry()), ToRect(screen->availableGeometry())};
  });
  SetDesktopChangeHook(FollowDoubleClickTime);
  // Other processes replace the values file; every change in its folder is a reason to read again.
  auto* watcher = new QFileSystemWatcher(QStringList{QString::fromStdString(DesktopFolder())}, qApp);
  QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, watcher, [] { FollowDoubleClickTime(); });
  FollowDoubleClickTime();
}

}  // namespace qx
