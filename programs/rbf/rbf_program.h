// The right-button program QXWMECrb: its name, title and version.
#pragma once

#include "core/suite_version.h"
#include "ui/window_program.h"

namespace qx {

inline constexpr ProgramInfo kRightButtonProgram{
    .name = "QXWMECrb",
    .title = " TouchScreen Right-Button #QX-COM",
    .version = kSuiteVersion,
    .purpose = "the floating right-button of the TouchScreen QX-COM controller",
    .about =
        "A 40 x 40 button, always on top in the lower-right corner of the screen's work area: touched,\n"
        "it makes the next touch on the panel a right-button action. It registers its window with the\n"
        "device service; the startup program and the control panel's Virtual Button dialog start it\n"
        "(hidden) and close it. One copy runs at a time: a second shows the first and ends.",
    .placesItsWindow = true,
};

}  // namespace qx
