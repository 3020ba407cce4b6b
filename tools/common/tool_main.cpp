#include "tools/common/tool_main.h"

#include <cstdio>
#include <cstring>

#include "host/machine_root.h"

namespace qx::tool {

int RunTool(int argc, char** argv, const char* tool, const char* usage,
            const std::map<std::string, Command>& commands) {
  int i = 1;
  while (i < argc && argv[i][0] == '-') {
    if (!std::strcmp(argv[i], "--root") && i + 1 < argc) {
      SetMachineRoot(argv[i + 1]);
      i += 2;
    } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(usage, stdout);
      return 0;
    } else {
      break;
    }
  }
  if (i >= argc) {
    std::fputs(usage, stderr);
    return kUsage;
  }
  auto command = commands.find(argv[i]);
  if (command == commands.end()) {
    std::fprintf(stderr, "%s: unknown command '%s'\n%s", tool, argv[i], usage);
    return kUsage;
  }
  return command->second(Args(argv + i + 1, argv + argc));
}

}  // namespace qx::tool
