// frmMain of the right-button program: one floating, always-on-top button in the lower-right
// corner of the work area of the suite's screen (ui/window_placement.h), placed there again each
// time it shows. Touching it arms the driver's one-shot right-button function and waits
// until the driver has turned the next touch into a right-button action (it then clears the armed
// flag) or the person cancels; the button then shows again. The program never makes mouse input
// of its own.
//
// The window registers itself with the driver as it loads, so that the other programs reach it
// (RBF_HIDE, RBF_SHOW, RBF_CLOSE through its window procedure RBF_WndProc), and deregisters when
// it closes, however it is closed.
//
// Frame: a tool window, so it takes no place in the task bar: a small title bar with the caption
// and the close box, by which a person closes it. The window shows as it loads, whatever show
// state its starter passed: the control panel and the startup program start it hidden, and a
// button that never showed could not be used. On a Wayland desktop other than GNOME it is an X11
// window of Xwayland that the compositor does not manage (no frame: the control panel closes it),
// since Qt's Wayland windows cannot choose their place.
#pragma once

#include <QPushButton>
#include <QWidget>
#include <cstdint>

#include "host/window_bus_qt.h"
#include "ui/window_program.h"

namespace qx {

class RightButtonWindow : public QWidget {
  Q_OBJECT
 public:
  // The window as designed: caption "TouchScreen Right Button", the button without caption.
  RightButtonWindow();

  // Placement, then registration; Failed without a driver, CopyBrought when another copy is
  // registered (it was told to show itself), else the window shows.
  LoadResult Load();

  QPushButton* cmdAction = nullptr;
  // 1 while a right-button action waits for the driver.
  std::int16_t Waiting = 0;

 public slots:
  // The right-button action: hide the button, arm, wait for the driver or a cancel, disarm, show
  // the button.
  void ActionClick();

 protected:
  // Cancels of a wait: a character key, or the left or right button pressed on the window.
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // The window's outer lower-right corner on the work area's lower-right corner; where the window
  // system places windows itself, said once in the log instead.
  void Place();
  LRESULT RBF_WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

  WindowProc savedProc_;
  bool registered_ = false;
  bool unloaded_ = false;
  bool placedOnFrame_ = false;
};

}  // namespace qx
