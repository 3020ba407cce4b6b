#include "ui/pointer.h"

#include <QCursor>
#include <QGuiApplication>

#include "host/cursor.h"

namespace qx {

namespace {

int busy = 0;
bool hidden = false;
bool overriding = false;

// One override pointer at most, chosen from both states, so that an hourglass ending while the
// pointer is hidden (or the other way round) never pops the wrong shape.
void Refresh() {
  if (!qGuiApp) return;
  if (!hidden && busy == 0) {
    if (overriding) QGuiApplication::restoreOverrideCursor();
    overriding = false;
    return;
  }
  const QCursor shape(hidden ? Qt::BlankCursor : Qt::WaitCursor);
  if (overriding) QGuiApplication::changeOverrideCursor(shape);
  else QGuiApplication::setOverrideCursor(shape);
  overriding = true;
}

}  // namespace

Hourglass::Hourglass() {
  ++busy;
  Refresh();
}

Hourglass::~Hourglass() {
  --busy;
  Refresh();
}

void HideCursor() {
  while (ShowCursor(FALSE) >= 0) {
  }
}

void RestoreCursor() {
  while (ShowCursor(TRUE) < 0) {
  }
}

void InstallPointerHook() {
  SetCursorVisibilityHook([](bool visible) {
    hidden = !visible;
    Refresh();
  });
}

}  // namespace qx
