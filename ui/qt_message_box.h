// The presenter that shows MessageBoxA's boxes as real Qt message boxes.
#pragma once

#include <QMessageBox>
#include <string>

#include "host/win_types.h"

namespace qx {

// The box MessageBoxA(TEXT, CAPTION, TYPE) stands for: caption, text (a CR is a line break),
// icon, buttons and default button from TYPE's flags; system-modal means application-modal
// and on top of every other window.
void SetUpMessageBox(QMessageBox& box, const std::string& text, const std::string& caption, UINT type);

// Shows it, a child of the window it asks about (the program's active window), and returns the
// button chosen as its Win32 code (IDOK, IDYES, …); the default button's when that window goes
// while the box is open, taking the box with it. Esc and the close box
// answer Cancel, or OK on a lone OK box; a Yes/No box has no such answer: there they do nothing.
// With QX_MESSAGE_SHOW_MS set to a number of milliseconds, the box answers itself with its
// default button after that long, for runs with nobody at the screen.
int ShowQtMessageBox(const std::string& text, const std::string& caption, UINT type);

}  // namespace qx
