// The control panel QXWMECcp: its name, title and version.
#pragma once

#include "core/suite_version.h"
#include "ui/window_program.h"

namespace qx {

inline constexpr ProgramInfo kControlPanel{
    "QXWMECcp",
    " TouchScreen Control Panel #QX-COM",
    kSuiteVersion,
    "the control panel of the TouchScreen QX-COM controller",
};

}  // namespace qx
