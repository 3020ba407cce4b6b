#include "companion/command_line.h"

#include <cstdio>
#include <cstring>

#include "companion/companion_program.h"
#include "core/exit_codes.h"
#include "core/suite_version.h"
#include "host/machine_root.h"

namespace qx::companion {

namespace {

std::string UsageLine() { return std::string("Usage: ") + kProgramName + " [--root DIR] [--rotation N]\n"; }

void PrintHelp() {
  std::fputs(UsageLine().c_str(), stdout);
  std::printf(
      "\n"
      "%s: the TouchScreen QX-COM companion program. It registers its window and the screen's\n"
      "RotationCode with the device service of the machine root, and reports the screen's size and\n"
      "the desktop's monitors, again whenever they change, so that touches and the calibration\n"
      "follow the screens. The startup program starts it at every log-on and the control panel's\n"
      "SMI On button starts it. Its window needs no attention and may be minimized; its Close\n"
      "button, its close box, SMI_CLOSE (the control panel's SMI Off, the uninstaller) and SIGTERM\n"
      "end it, until the next log-on, and it deregisters as it ends. One copy runs at a time.\n"
      "\n"
      "Options:\n%s"
      "  --rotation N  the RotationCode to register, 0..3, instead of the screen's own:\n"
      "                0 upright, 1 a quarter turn clockwise, 2 a quarter turn counter-clockwise,\n"
      "                3 a half turn\n"
      "\n"
      "Exit status:\n"
      "  0   ended, or another copy runs\n"
      "  1   failed: no device service, or it refused the registration (a box said why)\n"
      "  64  usage: a wrong command line\n",
      kProgramName, kCommonOptionsHelp);
}

// The whole of TEXT as one of 0..3.
std::optional<int> RotationCode(const char* text) {
  if (std::strlen(text) != 1 || text[0] < '0' || text[0] > '3') return std::nullopt;
  return text[0] - '0';
}

CommandLine Refused(const char* what, const char* argument) {
  return {std::nullopt, PrintUsageError(kProgramName, std::string(what) + " '" + argument + "'", UsageLine())};
}

}  // namespace

CommandLine ReadCommandLine(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
      PrintHelp();
      return {std::nullopt, exit_code::kOk};
    }
    if (!std::strcmp(arg, "--version")) return {std::nullopt, PrintVersion(kProgramName)};
    const bool takesValue = !std::strcmp(arg, "--root") || !std::strcmp(arg, "--rotation");
    if (!takesValue) return Refused("unknown argument", arg);
    if (i + 1 == argc) return Refused("a value is missing after", arg);
    const char* value = argv[++i];
    if (!std::strcmp(arg, "--root")) {
      SetMachineRoot(value);
    } else if (!(line.rotation = RotationCode(value))) {
      return Refused("--rotation takes 0, 1, 2 or 3, not", value);
    }
  }
  return line;
}

}  // namespace qx::companion
