// How WinExec reads a command line: the program's Windows path, then its arguments.
#pragma once

#include <string>
#include <vector>

namespace qx {

struct CommandLine {
  std::string program;  // the Windows path as written, without its quotes
  std::vector<std::string> args;
};

// Leading blanks are skipped. A quoted program path ends at its closing quote (or the end of the
// line). Unquoted, a path with blanks is taken at the first blank before which an existing file
// ends (HostPath), as Windows does; else at the first blank before which it ends in ".exe" (any
// case); else at the first blank. The rest is split at blanks and tabs; double quotes group blanks
// into one argument and are dropped; backslashes are kept. An empty or blank line gives an empty
// program.
CommandLine ParseCommandLine(const std::string& line);

}  // namespace qx
