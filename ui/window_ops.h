// Window operations that every window of a program shares: the main window and the way back to
// it, placing windows on the screen, and the preparation every dialog makes when it loads.
#pragma once

#include <QWidget>

namespace qx {

// The program's main window, set once by it as it loads; dialogs copy their caption, version
// line and logo from it and return to it when they close.
void SetMainWindow(QWidget* window);
QWidget* MainWindowWidget();

// Shows the main window (modeless) and gives it the focus. Every window opened from the main
// window calls it as it closes.
void ShowMainWindow();
// The same for any WINDOW: a window opened from a dialog brings that dialog back so.
void ShowAgain(QWidget* window);

// The window's outer size (frame included) horizontally centred on the screen and vertically
// centred on the upper 85 % of the screen height, computed in twips with whole-number divisions.
// A window not yet framed by the window system is centred again once its frame is known.
void CenterForm(QWidget* window);

// Centres the window's "imgIcon" inside its picture box "picIcon".
void CenterIcon(QWidget* window);

// What every dialog does as it loads: the main window's version line ("lblSystem") and caption,
// its logo or title, then CenterForm and CenterIcon.
void PrepareDialog(QWidget* dialog);

}  // namespace qx
