// The exit codes of every tool and program of the suite, one table for all (docs/command-line.md):
// a code means the same whichever program gives it, so a script can tell what went wrong.
#pragma once

namespace qx::exit_code {

inline constexpr int kOk = 0;         // done (qxmachine status: the machine runs)
inline constexpr int kFailed = 1;     // a step failed, said on stderr (or, in a window program, by a box)
inline constexpr int kNoService = 2;  // no device service serves the machine root
inline constexpr int kAbsent = 3;     // what was asked about is not there: the controller, a running machine
inline constexpr int kNoAnswer = 4;   // the device service did not answer within its bound
inline constexpr int kUsage = 64;     // the command line is wrong: an unknown option, command or value
inline constexpr int kBadData = 65;   // a file or device named on the command line is not what it must be

}  // namespace qx::exit_code
