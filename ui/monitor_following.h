// The suite's windows that a finger must reach follow the touchscreen's monitor: when the service
// maps the touchscreen to another monitor (qxctl map-to-output), or the desktop's monitors change
// under it (one unplugged, moved or resized), every such window is placed again there, as it was
// placed when it opened: shown, or hidden for the while (a main window behind its dialog).
//
// One watch per program learns of a change without polling: the screens' own signals (the
// desktop's monitors) and the folder where the device service keeps its state (the mapping is kept
// in input.ini and the monitor's size in settings.bin, both replaced whole when they change); after
// either, the touchscreen's monitor is asked once (WindowScreen), and windows move only when it is
// another, or stands elsewhere, than before.
#pragma once

#include <QWidget>
#include <functional>

namespace qx {

// From now on, whenever the touchscreen's monitor changes, WINDOW is placed again by PLACE. A later
// call replaces PLACE.
void FollowTouchscreenMonitor(QWidget* window, std::function<void()> place);

}  // namespace qx
