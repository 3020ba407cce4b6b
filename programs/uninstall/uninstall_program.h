// The uninstaller QXWMECde: its name, title and version.
#pragma once

#include "core/suite_version.h"
#include "ui/window_program.h"

namespace qx {

inline constexpr ProgramInfo kUninstaller{
    "QXWMECde",
    "TouchScreen Software Removal",
    kSuiteVersion,
    "removes the TouchScreen QX-COM suite and its device registration, then restarts the machine",
};

// Its file, kept in the Windows folder: it deletes itself at the next start of the machine.
inline constexpr char UNINSTALLER_FILE[] = "QXWMECde.exe";

}  // namespace qx
