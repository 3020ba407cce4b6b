// qxctl input and map-to-output: the root's input setting and the touchscreen's monitor, shown and
// set; the service takes a new one at once.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "device/input_setting.h"
#include "device/monitor_choice.h"
#include "host/last_error.h"
#include "host/machine_root.h"
#include "host/profile_file.h"
#include "host/program_log.h"
#include "host/printable_text.h"
#include "tools/qxctl/commands.h"
#include "tools/qxctl/service_requests.h"

namespace qx::ctl {

namespace {

std::string SettingFile() { return InputSettingFile(MachineRoot() + "/device"); }

// Writes the root's setting with SAVE for the service's next start: its folder made first, as the
// service makes it (a root never booted has none yet); what failed said with its reason.
int WriteSetting(const std::function<bool(const std::string&)>& save) {
  errno = 0;
  if (MakeDirs(MachineRoot() + "/device") && save(SettingFile())) return kOk;
  const std::string why = errno ? std::strerror(errno) : "not written";
  return Fail(("cannot write " + SettingFile() + ": " + why).c_str());
}

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
  if (const int failed = WriteSetting([&](const std::string& file) { return SaveInputUse(file, use); })) return failed;
  std::printf("the device service takes %s when it starts\n", use.c_str());
  return kOk;
}

}  // namespace

int Input(const Args& args) {
  if (args.empty()) return Show();
  if (args.size() != 1 || !ValidInputUse(args[0]) || args[0].size() >= sizeof(InputUse::Use)) return kUsage;
  if (!OpenDriver()) return GetLastError() == ERROR_SEM_TIMEOUT ? NoAnswer() : Keep(args[0]);
  InputUse use{};
  std::memcpy(use.Use, args[0].data(), args[0].size());
  InputInfo in{};
  DWORD returned = 0;
  const bool ok = DeviceIoControl(DriverHandle, IOCTL_SET_INPUT, &use, sizeof use, &in, sizeof in, &returned, nullptr);
  CloseDriver();
  if (!ok && GetLastError() == ERROR_SEM_TIMEOUT) return NoAnswer();
  // The service keeps a setting before it switches to it: one it could not keep left the input as it was.
  if (!ok && !ProfileFileWritable(SettingFile()))
    return Fail(("cannot write " + SettingFile() + ": the input in force stays").c_str());
  if (!ok)
    return Fail((args[0] +
                 " is not an input the device service can read: auto, simulated, a touchscreen's event "
                 "node or its name (the service's log says why: " +
                 ProgramLogPlace("qxwmecomd") + ")")
                    .c_str());
  return Show();
}

namespace {

// The monitors the companion registered, the touchscreen's marked.
int ShowMonitors(const MonitorLayout& layout) {
  if (layout.Count == 0) std::printf("no monitors registered (the companion program registers them)\n");
  for (std::uint32_t i = 0; i < std::min<std::uint32_t>(layout.Count, kMonitors); ++i) {
    const MonitorInfo& m = layout.Monitors[i];
    // The names are the desktop's and the monitor's own: a line end in one prints no line of its own.
    std::printf("%s %s %dx%d+%d+%d%s%s\n", static_cast<int>(i) == layout.Chosen ? "*" : " ",
                Printable(Text(m.Name)).c_str(), m.Width, m.Height, m.X, m.Y, m.Primary ? " primary" : "",
                Text(m.Maker).empty() ? "" : (" (" + Printable(Text(m.Maker) + " " + Text(m.Model)) + ")").c_str());
  }
  return kOk;
}

}  // namespace

int MapToOutput(const Args& args) {
  if (args.size() > 1 || (args.size() == 1 && (args[0].empty() || args[0].size() >= sizeof(OutputName::Name))))
    return kUsage;
  const std::string name = args.empty() || args[0] == "auto" ? "" : args[0];
  if (!OpenDriver()) {
    if (GetLastError() == ERROR_SEM_TIMEOUT) return NoAnswer();
    if (args.empty()) return Fail("no device service answers: it knows the monitors", kNoService);
    MonitorChoice choice;
    choice.output = name;
    return WriteSetting([&](const std::string& file) { return SaveMonitorChoice(file, choice); });
  }
  MonitorLayout layout{};
  DWORD returned = 0;
  bool ok;
  if (args.empty()) {
    ok = DeviceIoControl(DriverHandle, IOCTL_GET_MONITORS, &layout, sizeof layout, &layout, sizeof layout, &returned,
                         nullptr);
  } else {
    OutputName out{};
    std::memcpy(out.Name, name.data(), name.size());
    ok = DeviceIoControl(DriverHandle, IOCTL_MAP_TO_OUTPUT, &out, sizeof out, &layout, sizeof layout, &returned,
                         nullptr);
  }
  const bool timedOut = !ok && GetLastError() == ERROR_SEM_TIMEOUT;
  // A monitor of the desktop whose choice was refused all the same could not be kept.
  const bool listed = !ok && !timedOut && Request(IOCTL_GET_MONITORS, layout) &&
                      std::any_of(layout.Monitors, layout.Monitors + std::min<std::uint32_t>(layout.Count, kMonitors),
                                  [&](const MonitorInfo& m) { return Text(m.Name) == name; });
  CloseDriver();
  if (timedOut) return NoAnswer();
  if (listed || (!ok && !ProfileFileWritable(SettingFile())))
    return Fail(("cannot keep " + name + " in " + SettingFile() + ": the monitor in force stays").c_str());
  if (!ok) return Fail(("no monitor " + name + " on this desktop (qxctl map-to-output lists them)").c_str());
  return ShowMonitors(layout);
}

}  // namespace qx::ctl
