// The suite's version as its programs show it, with --version, and the options every program
// takes as --help lists them (docs/command-line.md). The Debian package's version is made from it
// (cmake/Package.cmake reads this file).
#pragma once

#include <cstdio>

#include "core/exit_codes.h"

namespace qx {

inline constexpr char kSuiteVersion[] = "7.0.COM";

// What --version prints on stdout, for every tool and program ("qxctl (TouchScreen QX-COM)
// 7.0.COM"); the exit code that follows it.
inline int PrintVersion(const char* program) {
  std::printf("%s (TouchScreen QX-COM) %s\n", program, kSuiteVersion);
  return exit_code::kOk;
}

// The "Options:" lines of --root, --help and --version, in a program's --help.
inline constexpr char kCommonOptionsHelp[] =
    "  --root DIR    the machine root: DIR, else QX_ROOT, else ${XDG_DATA_HOME:-~/.local/share}/qx-com\n"
    "  -h, --help    print this text and exit\n"
    "  --version     print the suite's version and exit\n";

}  // namespace qx
