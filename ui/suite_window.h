// What every window of the suite's programs shares, and the one way to open a window from a
// program's main window.
//
// Every window: its object name ("frmAbout"), the program's icon and a fixed inner size in twips
// (SetUpWindow). A window opened from the main window is a SuiteDialog: modeless, shown while the
// main window hides, built and loaded afresh at every opening (OpenWindow) and destroyed when it
// closes; however it closes (its own buttons, Esc, the close box, WM_CLOSE from another program),
// the window it was opened from shows again: the main window, or the dialog that opened it.
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

  // The window shown again when this one closes (OpenWindow names the opener). When none is
  // named, or that window is gone by then, the main window.
  void ReturnTo(QWidget* window) { returnTo_ = window; }

 protected:
  SuiteDialog(const char* name, int widthTwips, int heightTwips, Qt::WindowFlags flags = kFixedDialogFlags);

  // Accepting or rejecting (Esc) closes the window like its close box, so that closing always
  // runs closeEvent: QDialog would only hide it.
  void done(int result) override;
  // Shows the window it returns to again, then lets the window go.
  void closeEvent(QCloseEvent* event) override;

 private:
  QPointer<QWidget> returnTo_;
};

// Opens the one instance of window W from OPENER (the main window, or a dialog opening one of
// its own): hourglass; W(ARGS...) constructed and loaded unless it is open already; shown
// modeless and brought to the front; the opener hidden, and shown again when W closes.
template <typename W, typename... Args>
W* OpenWindow(QPointer<W>& instance, QWidget* opener, Args&&... args) {
  Hourglass busy;
  if (!instance) {
    instance = new W(std::forward<Args>(args)...);
    instance->Load();
  }
  instance->ReturnTo(opener);
  instance->show();
  instance->raise();
  instance->activateWindow();
  if (opener) opener->hide();
  return instance.data();
}

}  // namespace qx
