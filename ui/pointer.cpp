#include "ui/pointer.h"

#include <QCursor>
#include <QGuiApplication>

#include "host/cursor.h"
#include "host/program_state.h"

namespace qx {

namespace {

int busy = 0;                         // Hourglass objects alive
std::uint16_t busyUsers = 0;          // BusyPointer's count
int screenPointer = kDefaultPointer;  // BusyPointer's screen pointer
bool hidden = false;
bool overriding = false;

Qt::CursorShape ShapeOf(int code) {
  switch (code) {
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    case 5:
    case 15: return Qt::SizeAllCursor;
    case 6: return Qt::SizeBDiagCursor;
    case 7: return Qt::SizeVerCursor;
    case 8: return Qt::SizeFDiagCursor;
    case 9: return Qt::SizeHorCursor;
    case 10: return Qt::UpArrowCursor;
    case kHourglassPointer: return Qt::WaitCursor;
    case 12: return Qt::ForbiddenCursor;
    case 13: return Qt::BusyCursor;
    case 14: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;  // 1, and codes without a shape of their own
  }
}

// One override pointer at most, chosen from all the states, so that an hourglass ending while the
// pointer is hidden (or the other way round) never pops the wrong shape.
void Refresh() {
  if (!qGuiApp) return;
  if (!hidden && busy == 0 && screenPointer == kDefaultPointer) {
    if (overriding) QGuiApplication::restoreOverrideCursor();
    overriding = false;
    return;
  }
  const QCursor shape(hidden ? Qt::BlankCursor : busy > 0 ? Qt::WaitCursor : ShapeOf(screenPointer));
  if (overriding) QGuiApplication::changeOverrideCursor(shape);
  else QGuiApplication::setOverrideCursor(shape);
  overriding = true;
}

const ProgramState kPointerState([] {
  busyUsers = 0;
  screenPointer = kDefaultPointer;
  hidden = false;  // the display count starts again at 0 (host/cursor.h)
  Refresh();
});

}  // namespace

Hourglass::Hourglass() {
  ++busy;
  Refresh();
}

Hourglass::~Hourglass() {
  --busy;
  Refresh();
}

void BusyPointer(int code) {
  if (code == kHourglassPointer) {
    ++busyUsers;  // 16 bits, as the count always was
    screenPointer = busyUsers > 0 ? kHourglassPointer : kDefaultPointer;
  } else if (code == kDefaultPointer) {
    if (busyUsers > 0) --busyUsers;
    screenPointer = busyUsers > 0 ? kHourglassPointer : kDefaultPointer;
  } else {
    screenPointer = code;
  }
  Refresh();
}

int ScreenPointer() { return screenPointer; }

std::uint16_t BusyCount() { return busyUsers; }

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
