#include "ui/window_program.h"

#include <QApplication>
#include <QFont>

#include "host/message_box.h"
#include "ui/pointer.h"
#include "ui/qt_message_box.h"

namespace qx {

void InitWindowProgram() {
  SetMessageBoxPresenter(ShowQtMessageBox);
  InstallPointerHook();
  // The windows are designed in twips for an 8-point sans-serif face.
  QFont font = QApplication::font();
  font.setFamily(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  QApplication::setFont(font);
  // Windows hide and show in turn (the main window hides behind each dialog); the program ends
  // when its main window unloads, not when the last window happens to close.
  QApplication::setQuitOnLastWindowClosed(false);
}

}  // namespace qx
