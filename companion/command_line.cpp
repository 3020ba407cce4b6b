#include "companion/command_line.h"

#include <cstdio>
#include <cstring>

#include "companion/companion_program.h"
#include "host/machine_root.h"

namespace qx::companion {

namespace {

constexpr int kUsageExit = 64;

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: %s [--root DIR] [--rotation N]\n"
               "  the TouchScreen QX-COM companion: registers with the device service, reports the screen size\n"
               "  --root DIR    the machine root (default: QX_ROOT)\n"
               "  --rotation N  the RotationCode to register, 0..3, instead of the screen's own:\n"
               "                0 upright, 1 a quarter turn clockwise, 2 a quarter turn counter-clockwise,\n"
               "                3 a half turn\n",
               kProgramName);
}

// The whole of TEXT as one of 0..3.
std::optional<int> RotationCode(const char* text) {
  if (std::strlen(text) != 1 || text[0] < '0' || text[0] > '3') return std::nullopt;
  return text[0] - '0';
}

CommandLine Refused(const char* what, const char* argument) {
  std::fprintf(stderr, "%s: %s '%s'\n", kProgramName, what, argument);
  PrintUsage(stderr);
  return {std::nullopt, kUsageExit};
}

}  // namespace

CommandLine ReadCommandLine(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
      PrintUsage(stdout);
      return {std::nullopt, 0};
    }
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
