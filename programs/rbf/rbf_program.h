// The right-button program QXWMECrb: its name, title and version.
#pragma once

#include "core/suite_version.h"
#include "ui/window_program.h"

namespace qx {

inline constexpr ProgramInfo kRightButtonProgram{
    "QXWMECrb",
    " TouchScreen Right-Button #QX-COM",
    kSuiteVersion,
    "the floating right-button of the TouchScreen QX-COM controller",
};

}  // namespace qx
