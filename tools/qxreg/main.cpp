// qxreg: the registry of a machine root from a shell, in the manner of reg.exe.
#include "tools/common/tool_main.h"
#include "tools/qxreg/commands.h"

namespace {

const qx::tool::ToolHelp kHelp{
    "qxreg",
    "Reads and writes the registry of a machine root (its registry.db), and exports and imports\n"
    "REGEDIT4 files.",
    "KEY: ROOT\\path, ROOT one of HKEY_LOCAL_MACHINE (HKLM), HKEY_CURRENT_USER (HKCU),\n"
    "     HKEY_CLASSES_ROOT (HKCR), HKEY_USERS (HKU).\n"
    "TYPE: REG_SZ (default), REG_DWORD (DATA decimal or 0x hex), REG_BINARY (DATA hex digits, \"b004\").\n"
    "/ve: the key's unnamed value. /f: overwrite or delete without asking; without it qxreg asks\n"
    "on a terminal and refuses otherwise.\n",
    "  0   done\n"
    "  1   failed\n"
    "  64  usage: a wrong command line, key name, type or data\n",
};

}  // namespace

int main(int argc, char** argv) {
  using namespace qx::reg;
  return qx::tool::RunTool(
      argc, argv, kHelp,
      {
          {"query", "KEY [/v NAME | /ve]", "a key's values and subkeys, or one value", Query},
          {"add", "KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]", "create KEY; with /v or /ve, write a value", Add},
          {"delete", "KEY [/v NAME | /ve] [/f]", "delete KEY and its subkeys, or one value", Delete},
          {"export", "KEY FILE", "write KEY and its subkeys as a REGEDIT4 file", Export},
          {"import", "FILE", "apply a REGEDIT4 file, all of it or nothing", Import},
      });
}
