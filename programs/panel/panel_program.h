// The control panel QXWMECcp: its name, title and version.
#pragma once

#include "core/suite_version.h"
#include "ui/window_program.h"

namespace qx {

inline constexpr ProgramInfo kControlPanel{
    .name = "QXWMECcp",
    .title = " TouchScreen Control Panel #QX-COM",
    .version = kSuiteVersion,
    .purpose = "the control panel of the TouchScreen QX-COM controller",
    .about =
        "The controller's settings in six summary lines, and the windows that change them: the serial\n"
        "ports, the feedback sound, power save, the touch sensitivity, the mouse speed, the virtual button\n"
        "and the MCU information, the calibration window and the touch test window. It speaks to the\n"
        "device service of the machine root (qxwmecomd). One copy runs at a time: a second brings the\n"
        "first forward and ends.",
    .closesOnEndSignals = true,
};

}  // namespace qx
