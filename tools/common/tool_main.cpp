#include "tools/common/tool_main.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/suite_version.h"
#include "host/machine_root.h"

namespace qx::tool {

namespace {

// Where the commands' descriptions begin: after the longest "  name arguments" that fits, and
// never before column 20, where a description moved to the next line still reads as its own.
constexpr std::size_t kFirstColumn = 20;
constexpr std::size_t kLastColumn = 32;

constexpr char kToolUsage[] = "[--root DIR] COMMAND [ARG]...";

std::string Synopsis(const Command& c) { return *c.arguments ? std::string(c.name) + " " + c.arguments : c.name; }

std::size_t AboutColumn(const std::vector<Command>& commands) {
  std::size_t column = kFirstColumn;
  for (const Command& c : commands) {
    const std::size_t wanted = 2 + Synopsis(c).size() + 2;
    if (wanted <= kLastColumn) column = std::max(column, wanted);
  }
  return column;
}

void PrintCommands(const std::vector<Command>& commands) {
  const std::size_t column = AboutColumn(commands);
  const std::string indent(column, ' ');
  std::printf("Commands:\n");
  for (const Command& c : commands) {
    std::string tag = "  " + Synopsis(c);
    tag += tag.size() + 2 <= column ? std::string(column - tag.size(), ' ') : "\n" + indent;
    std::string about = c.about;
    for (std::size_t at = 0; (at = about.find('\n', at)) != std::string::npos; at += column + 1)
      about.insert(at + 1, indent);
    std::printf("%s%s\n", tag.c_str(), about.c_str());
  }
}

void PrintHelp(const ToolHelp& help, const std::vector<Command>& commands) {
  std::printf("Usage: %s %s\n\n%s\n\n", help.name, kToolUsage, help.purpose);
  PrintCommands(commands);
  if (*help.notes) std::printf("\n%s", help.notes);
  std::printf("\nOptions:\n%s\nExit status:\n%s", kCommonOptionsHelp, help.exitCodes);
}

// Says WHAT (unless empty) and the usage lines USAGES on stderr; kUsage.
int UsageError(const char* tool, const std::string& what, const std::vector<std::string>& usages) {
  std::string lines;
  for (std::size_t i = 0; i < usages.size(); ++i)
    lines += std::string(i ? "   or: " : "Usage: ") + tool + " " + usages[i] + "\n";
  return PrintUsageError(tool, what, lines);
}

// The usage lines of the command NAME (one for each of its entries).
std::vector<std::string> CommandUsages(const std::vector<Command>& commands, const std::string& name) {
  std::vector<std::string> usages;
  for (const Command& c : commands)
    if (name == c.name) usages.push_back(Synopsis(c));
  return usages;
}

}  // namespace

int RunTool(int argc, char** argv, const ToolHelp& help, const std::vector<Command>& commands) {
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    if (!std::strcmp(argv[i], "--root")) {
      if (i + 1 == argc) return UsageError(help.name, "--root needs a folder", {kToolUsage});
      SetMachineRoot(argv[++i]);
    } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      PrintHelp(help, commands);
      return kOk;
    } else if (!std::strcmp(argv[i], "--version")) {
      return PrintVersion(help.name);
    } else {
      return UsageError(help.name, std::string("unknown option '") + argv[i] + "'", {kToolUsage});
    }
  }
  if (i >= argc) return UsageError(help.name, "no command given", {kToolUsage});
  const auto command =
      std::find_if(commands.begin(), commands.end(), [&](const Command& c) { return !std::strcmp(c.name, argv[i]); });
  if (command == commands.end())
    return UsageError(help.name, std::string("unknown command '") + argv[i] + "'", {kToolUsage});
  const int result = command->run(Args(argv + i + 1, argv + argc));
  // A command says what is wrong with its words, if it can; the usage line comes from here.
  return result == kUsage ? UsageError(help.name, "", CommandUsages(commands, command->name)) : result;
}

}  // namespace qx::tool
