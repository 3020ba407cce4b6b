// The startup program QXWMECao: its name, title and version, and its command line.
#pragma once

#include <string>

#include "core/suite_version.h"
#include "ui/window_program.h"

namespace qx {

// The program takes its whole command line as one text: "/SDC" selects the double-click dialog,
// anything else (no argument, "/SDC " with a blank, two arguments) is the startup at log-on. So
// every argument is its own, and none is refused.
inline bool IsStartupArgument(const std::string&) { return true; }

inline constexpr ProgramInfo kStartupProgram{
    "QXWMECao",
    " TouchScreen System Startup #QX-COM",
    kSuiteVersion,
    "the startup of the TouchScreen QX-COM suite at log-on, and its double-click settings",
    "Run by the machine's log-on entry \"TouchScreen Startup\": it applies the stored double-click\n"
    "values to the desktop, checks the controller, starts the companion program (or tells the\n"
    "device service the screen size) and the right-button program when the settings ask for it,\n"
    "shows its splash for about a second and ends. With /SDC it is the double-click settings dialog.",
    "[/SDC]",
    IsStartupArgument,
};

}  // namespace qx
