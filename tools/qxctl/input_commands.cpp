// qxctl input: the root's input setting, shown and set; the service takes a new one at once.
#include <cstdio>
#include <cstring>
#include <string>

#include "device/input_setting.h"
#include "host/last_error.h"
#include "host/machine_root.h"
#include "tools/qxctl/commands.h"
#include "tools/qxctl/service_requests.h"

namespace qx::ctl {

namespace {

std::string SettingFile() { return InputSettingFile(MachineRoot() + "/device"); }

// The service's own account of its input in force: the lines before "Output:".
std::string InputInForce() {
  char text[4096];
  DWORD returned = 0;
  if (!DeviceIoControl(DriverHandle, IOCTL_SIM_DESCRIBE_IO, nullptr, 0, text, sizeof text, &returned, nullptr))
    return "";
  const std::string all(text, returned);
  return all.substr(0, all.find("Output:"));
}

int Show() {
  std::printf("%s\n", LoadInputSetting(SettingFile()).use.c_str());
  if (OpenDriver()) {
    std::printf("%s", InputInForce().c_str());
    CloseDriver();
  }
  return kOk;
}

// Without a service the setting is written for its next start.
int Keep(const std::string& use) {
  if (!SaveInputUse(SettingFile(), use)) return Fail(("cannot write " + SettingFile()).c_str());
  std::printf("the device service takes %s when it starts\n", use.c_str());
  return kOk;
}

}  // namespace

int Input(const Args& args) {
  if (args.empty()) return Show();
  if (args.size() != 1 || !ValidInputUse(args[0]) || args[0].size() >= sizeof(SimInputUse::Use)) return kUsage;
  if (!OpenDriver()) return GetLastError() == ERROR_SEM_TIMEOUT ? NoAnswer() : Keep(args[0]);
  SimInputUse use{};
  std::memcpy(use.Use, args[0].data(), args[0].size());
  SimInput in{};
  DWORD returned = 0;
  const bool ok =
      DeviceIoControl(DriverHandle, IOCTL_SIM_SET_INPUT, &use, sizeof use, &in, sizeof in, &returned, nullptr);
  CloseDriver();
  if (!ok && GetLastError() == ERROR_SEM_TIMEOUT) return NoAnswer();
  if (!ok)
    return Fail((args[0] + " is not an input the device service can read: auto, simulated, a touchscreen's event "
                           "node or its name (the service's log says why)")
                    .c_str());
  return Show();
}

}  // namespace qx::ctl
