// What every window of the suite's programs shares, and the one way to open a window from a
// program's main window.
//
// Every window: its object name ("frmAbout"), the program's icon and a fixed inner size in twips
// (SetUpWindow). A window opened from the main window is a SuiteDialog: modeless, shown while the
// main window hides, built and loaded afresh at every opening (OpenWindow) and destroyed when it
// closes; however it closes (its own buttons, Esc, the close box, WM_CLOSE from another program),
// the main window shows again.
#pragma once

#include <QDialog>
#include <QPointer>
#include <utility>

#include "ui/pointer.h"

namespace qx {

// A fixed border and a title bar with only the close box.
inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                     Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowCloseButtonHint;

// Object NAME, the program's icon, the fixed inner size WIDTH x HEIGHT twips.
void SetUpWindow(QWidget* window, const char* name, int widthTwips, int heightTwips);

class SuiteDialog : public QDialog {
  Q_OBJECT
 public:
  // Fills the window (its texts, values and place) once it is constructed; OpenWindow calls it.
  virtual void Load() = 0;

 protected:
  SuiteDialog(const char* name, int widthTwips, int heightTwips, Qt::WindowFlags flags = kFixedDialogFlags);

  // Accepting or rejecting (Esc) closes the window like its close box, so that closing always
  // runs closeEvent: QDialog would only hide it.
  void done(int result) override;
  // Shows the main window again, then lets the window go.
  void closeEvent(QCloseEvent* event) override;
};

// Opens the one instance of window W from MAIN_WINDOW: hourglass; W(ARGS...) constructed and
// loaded unless it is open already; shown modeless and brought to the front; the main window
// hidden.
template <typename W, typename... Args>
W* OpenWindow(QPointer<W>& instance, QWidget* mainWindow, Args&&... args) {
  Hourglass busy;
  if (!instance) {
    instance = new W(std::forward<Args>(args)...);
    instance->Load();
  }
  instance->show();
  instance->raise();
  instance->activateWindow();
  if (mainWindow) mainWindow->hide();
  return instance.data();
}

}  // namespace qx
