#include <QGuiApplication>
#include <QScreen>

#include "host/work_area.h"

namespace qx {

BOOL SystemParametersInfoA(UINT action, UINT, void* pvParam, UINT) {
  if (action != SPI_GETWORKAREA || !pvParam || !qGuiApp) return FALSE;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return FALSE;
  const QRect area = screen->availableGeometry();
  *static_cast<RECT*>(pvParam) = {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
  return TRUE;
}

}  // namespace qx
