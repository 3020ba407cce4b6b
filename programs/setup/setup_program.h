// The installer QXWMECdi: its name, title and version.
#pragma once

#include "core/suite_version.h"
#include "ui/window_program.h"

namespace qx {

inline constexpr ProgramInfo kSetupProgram{
    "QXWMECdi",
    "TouchScreen Driver Installation",
    kSuiteVersion,
    "the installer of the TouchScreen QX-COM controller",
    "Run from the installation folder that install-suite laid out: it takes the device's initial\n"
    "settings from \"setup.ini\" and the OEM title from \"setup.oem\" beside it, registers the\n"
    "device, says that the machine must restart, and restarts it (qxmachine restart). With\n"
    "QX_MESSAGE_LOG set, its boxes are written to that file and answered by their default button.",
};

}  // namespace qx
