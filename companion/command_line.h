// The companion's command line: "--root DIR", "--rotation N", "--help" and "--version".
#pragma once

#include <optional>
#include <string>

namespace qx::companion {

struct CommandLine {
  std::optional<int> rotation;  // the RotationCode given; none: taken from the screen
  std::optional<int> exitCode;  // set when the program ends at once (after the usage, or a refusal)
};

// Reads ARGV; makes "--root DIR" the machine root. A bad argument or a rotation other than 0..3 is
// refused on stderr with the usage (exit code 64); "--help" and "--version" print theirs (exit code 0).
CommandLine ReadCommandLine(int argc, char** argv);

}  // namespace qx::companion
