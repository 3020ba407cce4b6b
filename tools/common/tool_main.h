// What the shell tools share: "TOOL [--root DIR] COMMAND ARGS", a table of commands, the --help
// text made from it, --version, and the exit codes of docs/command-line.md.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/exit_codes.h"

namespace qx::tool {

using Args = std::vector<std::string>;

using exit_code::kFailed;
using exit_code::kOk;
using exit_code::kUsage;

struct Command {
  const char* name;       // "touch"
  const char* arguments;  // "X Y [--reports N]", "" for none
  const char* about;      // what it does; lines after the first ('\n') continue it
  std::function<int(const Args&)> run;
};

// What a tool says of itself in --help, around its commands.
struct ToolHelp {
  const char* name;       // "qxctl"
  const char* purpose;    // the paragraph under the usage line
  const char* notes;      // after the commands: terms used in them, and more ("" for none)
  const char* exitCodes;  // "Exit status:" lines, its codes of core/exit_codes.h with what each means here
};

// Takes --root DIR (making DIR the machine root), --help and --version, then runs the named
// command with the words after it. A command line that is wrong (no command, an unknown one, or
// one whose command gives kUsage) is said on stderr with the usage line of the tool or of the
// command, and gives kUsage.
int RunTool(int argc, char** argv, const ToolHelp& help, const std::vector<Command>& commands);

}  // namespace qx::tool
