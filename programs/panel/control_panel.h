// The control panel program: its window program set-up, the main window's start-up, and its life.
#pragma once

namespace qx {

// Runs the control panel in the QApplication that exists; returns the program's exit code:
// 0 after Exit (or when another copy was brought forward), 1 when start-up ended with a box.
int RunControlPanel();

}  // namespace qx
