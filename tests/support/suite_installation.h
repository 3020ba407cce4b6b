// The suite installed into the current machine root as its package installs it (the real
// package/install-suite), and the mouse-device registration that the installer adds, written the
// way the installer writes it.
#pragma once

#include <string>
#include <vector>

#include "tests/support/process.h"

namespace qx::test {

// The installation folder and the Windows folder, below the root.
inline constexpr char kInstalledFolder[] = "/drive_c/Program Files/TouchScreen/QX-COM";
inline constexpr char kWindowsFolder[] = "/drive_c/WINDOWS";

// A build folder at DIR whose bin/ holds the real qxreg, unins000 and qxmachine and, of the suite's
// programs, the real ones named in REAL; the others are small scripts.
void MakeBuildFolder(const std::string& dir, const std::vector<std::string>& real = {});

// package/install-suite --root <the current root> --build BUILD, then ARGS (by default the layout
// alone: no installer, no restart); ENV as for Run.
RunResult InstallSuite(const std::string& build, const std::vector<std::string>& args = {"--no-setup"},
                       const std::vector<std::string>& env = {});

// Registry keys below HKEY_LOCAL_MACHINE.
bool KeyExists(const std::string& path);
void WriteStringValue(const std::string& path, const std::string& name, const std::string& text);

struct MouseDevice {
  std::string instance;  // "Enum\Root\Mouse\0001"
  std::string classKey;  // "System\CurrentControlSet\Services\Class\Mouse\0001"
};

// A mouse registered as the installer registers the suite's: a class key and an instance key,
// each at the lowest number free under its parent, with their seven values; MFG and INF_SECTION
// as given (another mouse: "Standard mouse types", "SerMouse").
MouseDevice RegisterMouse(const std::string& mfg = "TouchScreen", const std::string& infSection = "QxCOM");

// The instance keys under Enum\Root\Mouse whose "Mfg" is MFG, in order ("0000", ...).
std::vector<std::string> MouseInstances(const std::string& mfg);

}  // namespace qx::test
