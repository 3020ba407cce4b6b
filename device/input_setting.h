// The touch input a machine root's device service reads, kept in the root's device/input.ini (a
// profile file a person may read and edit): "simulated" (the simulated controller alone), "auto"
// (the touchscreen udev finds), an event node's path, or a touchscreen's name or "vvvv:pppp"; the
// touchscreen the root took last, so that the same one is taken again among several; and the
// monitor its touches belong to, where a person chose one (`qxctl map-to-output`).
//
//   [Input]
//   Use=auto
//   [Touchscreen]
//   Name=…  Id=vvvv:pppp  Phys=…
//   [Monitor]
//   Output=HDMI-1  Maker=…  Model=…  Serial=…
#pragma once

#include <string>

#include "device/touchscreen_identity.h"

namespace qx {

// A monitor as a person names one, and as the desktop identifies it (EDID maker, model, serial).
struct MonitorChoice {
  std::string output;
  std::string maker;
  std::string model;
  std::string serial;
};

struct InputSetting {
  std::string use = "simulated";
  TouchscreenIdentity touchscreen;
  MonitorChoice monitor;
};

// Whether USE is a value the setting takes: "simulated", "auto", an absolute path, or a name (no
// line ends, not empty).
bool ValidInputUse(const std::string& use);

// The root's input.ini in the folder DEVICE_DIR (the root's device/).
std::string InputSettingFile(const std::string& deviceDir);
// The setting of FILE; the defaults where it or a value is missing.
InputSetting LoadInputSetting(const std::string& file);
// Writes the use, the touchscreen or the monitor of SETTING into FILE, each whole or not at all;
// false when it cannot.
bool SaveInputUse(const std::string& file, const std::string& use);
bool SaveTouchscreen(const std::string& file, const TouchscreenIdentity& touchscreen);
bool SaveMonitorChoice(const std::string& file, const MonitorChoice& monitor);

}  // namespace qx
