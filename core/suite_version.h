// The suite's version as its programs show it, with --version, and the options every program
// takes as --help lists them (docs/command-line.md). The Debian package's version is made from it
// (cmake/Package.cmake reads this file).
#pragma once

#include <cstdio>
#include <string>

#include "core/exit_codes.h"

namespace qx {

inline constexpr char kSuiteVersion[] = "7.0.COM";

// What --version prints on stdout, for every tool and program ("qxctl (TouchScreen QX-COM)
// 7.0.COM"); the exit code that follows it.
inline int PrintVersion(const char* program) {
  std::printf("%s (TouchScreen QX-COM) %s\n", program, kSuiteVersion);
  return exit_code::kOk;
}

// A wrong command line, on stderr: "PROGRAM: WHAT" (unless WHAT is empty), the usage text USAGE
// (whole lines), then where the help is ("Try 'INVOKED --help'", INVOKED the program when null);
// the exit code that follows it.
inline int PrintUsageError(const char* program, const std::string& what, const std::string& usage,
                           const char* invoked = nullptr) {
  if (!what.empty()) std::fprintf(stderr, "%s: %s\n", program, what.c_str());
  std::fprintf(stderr, "%sTry '%s --help' for more information.\n", usage.c_str(), invoked ? invoked : program);
  return exit_code::kUsage;
}

// The "Options:" lines of --root, --help and --version, in a program's --help.
inline constexpr char kCommonOptionsHelp[] =
    "  --root DIR    the machine root: DIR, else QX_ROOT, else ${XDG_DATA_HOME:-~/.local/share}/qx-com\n"
    "  -h, --help    print this text and exit\n"
    "  --version     print the suite's version and exit\n";

}  // namespace qx
