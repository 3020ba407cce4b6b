// The serving side of the window bus's input messages (host/window_input.h) in a Qt program.
#pragma once

#include "host/win_types.h"

class QWidget;

namespace qx {

// Queues the input message MSG for WINDOW with the window system, as the person's own input
// would come; false when it is no input message or the window is not on screen.
bool QueueWindowInput(QWidget* window, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace qx
