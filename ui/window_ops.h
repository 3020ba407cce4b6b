// Window operations that every window of a program shares: the main window and the way back to
// it, placing windows on the screen, and the preparation every dialog makes when it loads.
#pragma once

#include <QWidget>
#include <string>

namespace qx {

// The program's main window, set once by it as it loads; dialogs copy their caption, version
// line and logo from it and return to it when they close.
void SetMainWindow(QWidget* window);
QWidget* MainWindowWidget();

// Shows the main window (modeless) and gives it the focus. Every window opened from the main
// window calls it as it closes.
void ShowMainWindow();

// Horizontally centred on the screen; vertically centred on the upper 85 % of the screen height.
// Computed in twips with whole-number divisions, as designed.
void CenterForm(QWidget* window);

// Centres the window's "imgIcon" inside its picture box "picIcon".
void CenterIcon(QWidget* window);

// What every dialog does as it loads: the main window's version line ("lblSystem") and caption,
// its logo or title, then CenterForm and CenterIcon.
void PrepareDialog(QWidget* dialog);

// The main window's label NAME shows TEXT as a label shows it: "&&" as one "&".
void SetMainLabel(const char* name, const std::string& text);

}  // namespace qx
