// The signals a session sends a program to end it (SIGTERM as qxmachine ends the programs of a
// machine root, SIGINT, SIGHUP) close a window instead, from the event loop: so the program ends
// the way its close box would end it, and deregisters on the way out.
#pragma once

class QWidget;

namespace qx::companion {

// Call once, on the UI thread, after the QApplication is made. WINDOW must live until the
// program ends.
void CloseOnEndSignals(QWidget* window);

}  // namespace qx::companion
