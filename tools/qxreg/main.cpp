// qxreg: the registry of a machine root from a shell, in the manner of reg.exe.
#include "tools/common/tool_main.h"
#include "tools/qxreg/commands.h"

namespace {

const char kUsageText[] =
    "usage: qxreg [--root DIR] COMMAND ARGS\n"
    "  query KEY [/v NAME | /ve]                     a key's values and subkeys, or one value\n"
    "  add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "                                                create KEY; with /v or /ve, write a value\n"
    "  delete KEY [/v NAME | /ve] [/f]               delete KEY and its subkeys, or one value\n"
    "  export KEY FILE                               write KEY and its subkeys as a REGEDIT4 file\n"
    "  import FILE                                   apply a REGEDIT4 file, all of it or nothing\n"
    "KEY: ROOT\\path, ROOT one of HKEY_LOCAL_MACHINE (HKLM), HKEY_CURRENT_USER (HKCU),\n"
    "     HKEY_CLASSES_ROOT (HKCR), HKEY_USERS (HKU).\n"
    "TYPE: REG_SZ (default), REG_DWORD (DATA decimal or 0x hex), REG_BINARY (DATA hex digits, \"b004\").\n"
    "/ve: the key's unnamed value. /f: overwrite or delete without asking; without it qxreg asks\n"
    "on a terminal and refuses otherwise.\n"
    "DIR: --root, else QX_ROOT, else the default root.\n"
    "Exit codes: 0 done, 1 failed, 64 usage.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace qx::reg;
  return qx::tool::RunTool(argc, argv, "qxreg", kUsageText,
                           {
                               {"query", Query},
                               {"add", Add},
                               {"delete", Delete},
                               {"export", Export},
                               {"import", Import},
                           });
}
