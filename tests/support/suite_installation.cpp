#include "tests/support/suite_installation.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "core/registry_access.h"
#include "host/machine_root.h"
#include "tests/support/temp_root.h"

namespace qx::test {

namespace {

namespace fs = std::filesystem;

constexpr char kEnum[] = "Enum\\Root\\Mouse";
constexpr char kClass[] = "System\\CurrentControlSet\\Services\\Class\\Mouse";

std::string Number(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", n);
  return text;
}

// The lowest four-digit number whose key under PARENT does not exist, as the installer finds it.
std::string LowestFree(const std::string& parent) {
  for (int n = 0;; ++n)
    if (!KeyExists(parent + "\\" + Number(n))) return Number(n);
}

void WriteValues(const std::string& path, const std::vector<std::pair<const char*, std::string>>& values) {
  for (const auto& [name, text] : values) WriteStringValue(path, name, text);
}

bool SameText(std::string a, std::string b) {
  for (char& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : b) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return a == b;
}

}  // namespace

void MakeBuildFolder(const std::string& dir, const std::vector<std::string>& real) {
  fs::create_directories(dir + "/bin");
  for (const char* tool : {"qxreg", "unins000", "qxmachine"}) fs::create_symlink(Program(tool), dir + "/bin/" + tool);
  for (const char* program : {"QXWMECcp", "QXWMECao", "QXWMECrb", "QXWMECdi", "QXWMECde"}) {
    const std::string path = dir + "/bin/" + program;
    if (std::find(real.begin(), real.end(), program) != real.end()) {
      fs::create_symlink(Program(program), path);
    } else {
      WriteFile(path, std::string("#!/bin/sh\necho ") + program + "\n");
      chmod(path.c_str(), 0755);
    }
  }
}

RunResult InstallSuite(const std::string& build, const std::vector<std::string>& args,
                       const std::vector<std::string>& env) {
  std::vector<std::string> argv = {std::string(QX_PACKAGE_DIR) + "/install-suite", "--root", MachineRoot(), "--build",
                                   build};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv, env);
}

bool KeyExists(const std::string& path) {
  HKEY key = 0;
  if (!OpenKey(HKEY_LOCAL_MACHINE, path, key)) return false;
  CloseKey(key);
  return true;
}

void WriteStringValue(const std::string& path, const std::string& name, const std::string& text) {
  std::string none;
  HKEY key = 0;
  if (!CreateKey(HKEY_LOCAL_MACHINE, path, none, key)) return;
  SetString(key, name, text);
  CloseKey(key);
}

MouseDevice RegisterMouse(const std::string& mfg, const std::string& infSection) {
  const std::string description = "TouchScreen - Serial Mouse Driver V.7.0.COM";
  const std::string c = LowestFree(kClass);
  const std::string e = LowestFree(kEnum);
  MouseDevice device{std::string(kEnum) + "\\" + e, std::string(kClass) + "\\" + c};
  WriteValues(device.classKey, {{"DevLoader", "*vmouse"},
                                {"DriverDesc", "\"" + description + "\""},
                                {"InfPath", "QXWMECOM.INF"},
                                {"InfSection", infSection},
                                {"MouseType", "Serial"},
                                {"NoSetupUI", "4"},
                                {"MouseDriver", "QXWMECOM.VXD"}});
  WriteValues(device.instance, {{"InfName", "QXWMECOM.INF"},
                                {"InfSection", infSection},
                                {"DeviceDesc", description},
                                {"Class", "Mouse"},
                                {"HardwareID", "MOUSE"},
                                {"Driver", "Mouse\\" + c},
                                {"Mfg", mfg}});
  return device;
}

std::vector<std::string> MouseInstances(const std::string& mfg) {
  std::vector<std::string> found;
  HKEY parent = 0;
  if (!OpenKey(HKEY_LOCAL_MACHINE, kEnum, parent)) return found;
  char name[256];
  for (DWORD i = 0; RegEnumKeyA(parent, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
    HKEY instance = 0;
    std::string value;
    if (!OpenKey(HKEY_LOCAL_MACHINE, std::string(kEnum) + "\\" + name, instance)) continue;
    if (QueryString(instance, "Mfg", value) && SameText(value, mfg)) found.push_back(name);
    CloseKey(instance);
  }
  CloseKey(parent);
  return found;
}

}  // namespace qx::test
