// What the startup program does at every log-on, while its splash window shows: the stored
// double-click settings applied, the driver and its controller checked, the companion program
// started (or the screen size told to the driver), the right-button program started or hidden,
// then a pause of about a second.
#pragma once

#include <string>

namespace qx {

enum class StartupEnd {
  Paused,        // everything ran, the driver was closed and the pause waited
  NoDriver,      // "Fail to open QXWMECOM.vxd!": ended at once
  NoController,  // "TouchScreen Controller Not Found!": driver closed, ended at once
};

// Runs the sequence; boxes are captioned TITLE. The double-click values must be loaded.
StartupEnd RunStartupSequence(const std::string& title);

}  // namespace qx
