// The signals a session sends a program to end it (SIGTERM as qxmachine or a log-out ends the
// programs, SIGINT, SIGHUP), handled from the event loop instead of ending the program where it
// stands: so the program ends the way its own close would end it, undoing on the way out what it
// holds (a registration, a paused right button, a touch mode it set).
#pragma once

#include <functional>

class QObject;

namespace qx {

// Call once, on the UI thread, after the QApplication is made: each end signal then runs END from
// the event loop (a nested one too, such as an open box's), for as long as CONTEXT lives.
void OnEndSignals(QObject* context, std::function<void()> end);

}  // namespace qx
