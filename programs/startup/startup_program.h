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
    "QXWMECao",    " TouchScreen System Startup #QX-COM",
    kSuiteVersion, "the startup of the TouchScreen QX-COM suite at log-on; with /SDC its double-click settings",
    "[/SDC]",      IsStartupArgument,
};

}  // namespace qx
