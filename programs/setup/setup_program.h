// The installer QXWMECdi: its name, title and version.
#pragma once

#include "core/suite_version.h"
#include "ui/window_program.h"

namespace qx {

inline constexpr ProgramInfo kSetupProgram{
    "QXWMECdi",
    "TouchScreen Driver Installation",
    kSuiteVersion,
    "the installer of the TouchScreen QX-COM controller: initial settings, OEM title, device registration, restart",
};

}  // namespace qx
