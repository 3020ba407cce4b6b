// What the shell tools share: "TOOL [--root DIR] COMMAND ARGS", a table of commands, the usage text.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qx::tool {

using Args = std::vector<std::string>;
using Command = std::function<int(const Args&)>;

// Exit codes every tool gives.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 64;

// Takes --root DIR (making DIR the machine root) and --help, then runs the named command with
// the words after it. An unknown or missing command prints USAGE and gives kUsage.
int RunTool(int argc, char** argv, const char* tool, const char* usage, const std::map<std::string, Command>& commands);

}  // namespace qx::tool
