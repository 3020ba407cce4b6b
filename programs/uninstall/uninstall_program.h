// The uninstaller QXWMECde: its name, title and version.
#pragma once

#include "core/suite_version.h"
#include "ui/window_program.h"

namespace qx {

inline constexpr ProgramInfo kUninstaller{
    "QXWMECde",
    "TouchScreen Software Removal",
    kSuiteVersion,
    "the uninstaller of the TouchScreen QX-COM suite",
    "Run from C:\\WINDOWS of a machine root: after Yes it closes the right-button and companion\n"
    "programs, runs the package's uninstaller (unins000.exe /SILENT), removes the device's\n"
    "registration and restarts the machine, whose start deletes it. Where the machine's tools are\n"
    "gone (the Debian package was removed), the restart is the deletion alone.",
};

// Its file, kept in the Windows folder: it deletes itself at the next start of the machine.
inline constexpr char UNINSTALLER_FILE[] = "QXWMECde.exe";

}  // namespace qx
