// The qxctl commands that talk to the device service.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/driver_link.h"
#include "core/field_changes.h"
#include "core/settings_fields.h"
#include "core/touch_options.h"
#include "host/device_file.h"
#include "host/last_error.h"
#include "host/message_box.h"
#include "host/program_log.h"
#include "tools/qxctl/commands.h"
#include "tools/qxctl/service_requests.h"

namespace qx::ctl {

namespace {

const char kTitle[] = "qxctl";

}  // namespace

int Summary(const Args& args) {
  if (!args.empty()) return kUsage;
  FillNameTables();
  if (int rc = Open()) return rc;
  GetSettings();
  const bool answered = LastRequestResult;
  GetControllerInfo();
  CloseDriver();
  if (!answered) return NoAnswer();
  if (Settings.ActivePort == 0) {
    ErrorBox("TouchScreen Controller Not Found!", kTitle);
    return kNoController;
  }
  const SettingsBlock& b = Settings;
  const std::pair<const char*, std::string> lines[] = {
      {"Serial Port: ", ControllerPortText(ControllerRecord, b)},
      {"Virtual Button: ", TouchModeText(b.TouchMode, b.RbfEnable, b.RbfAutoMode)},
      {"Feedback Sound: ", SoundModeText(b.SoundMode)},
      {"Mouse Speed: ", MouseSpeedText(b.SpeedH, b.SpeedV, b.Acceleration, b.Bypass)},
      {"Power Save: ", PowerSaveLine(ControllerRecord, b)},
      {"Touch Sensitivity: ", SensitivityLine(ControllerRecord, b)},
  };
  for (const auto& [label, text] : lines) std::printf("%s%s\n", label, LabelCaption(text).c_str());
  return kOk;
}

namespace {

// The block and the touch options as the service keeps them, read on the open handle.
struct KeptSettings {
  SettingsBlock block{};
  TouchOptions options{};
  bool Read() { return Request(IOCTL_SIM_GET_BLOCK, block) && Request(IOCTL_GET_OPTIONS, options); }
  // NAME's value, a field of the block or a touch option.
  std::optional<std::string> Get(const std::string& name) const {
    std::optional<std::string> value = GetField(block, name);
    return value ? value : GetOption(options, name);
  }
};

// The kept settings, or the exit code when they cannot be read (the driver closed then).
int ReadKept(KeptSettings& kept) {
  if (int rc = Open()) return rc;
  if (kept.Read()) return kOk;
  CloseDriver();
  return NoAnswer();
}

}  // namespace

int Get(const Args& args) {
  KeptSettings kept;
  if (int rc = ReadKept(kept)) return rc;
  CloseDriver();
  std::vector<std::string> names = args;
  if (names.empty()) {
    names = FieldNames();
    names.insert(names.end(), OptionNames().begin(), OptionNames().end());
  }
  for (const std::string& name : names) {
    if (!kept.Get(name)) {
      std::fprintf(stderr, "qxctl: unknown field '%s'\n", name.c_str());
      return kUsage;
    }
  }
  for (const std::string& name : names) {
    if (args.size() == 1) std::printf("%s\n", kept.Get(name)->c_str());
    else std::printf("%s=%s\n", name.c_str(), kept.Get(name)->c_str());
  }
  return kOk;
}

// One request of every change, which the service takes all or none of: checked here first, so that
// a wrong name or value is said as a usage error.
int Set(const Args& args) {
  if (args.empty()) return kUsage;
  std::string changes;
  for (const std::string& change : args) changes += (changes.empty() ? "" : " ") + change;
  SettingsBlock block{};
  TouchOptions options{};
  std::string described;
  std::string error = ApplyChanges(changes, block, options, described);
  if (error.empty() && changes.size() >= sizeof(FieldChanges::Text)) error = "too many changes for one request";
  if (!error.empty()) {
    std::fprintf(stderr, "qxctl: %s\n", error.c_str());
    return kUsage;
  }
  FieldChanges record{};
  changes.copy(record.Text, changes.size());
  if (int rc = Open()) return rc;
  const bool ok = Request(IOCTL_SET_FIELDS, record);
  CloseDriver();
  return ok ? kOk : Fail("the device service did not take the settings");
}

int Block(const Args& args) {
  if (!args.empty()) return kUsage;
  if (int rc = Open()) return rc;
  GetSettings();
  bool ok = LastRequestResult && ReturnedBytes == sizeof(SettingsBlock);
  CloseDriver();
  if (!ok) return NoAnswer();
  const auto* p = reinterpret_cast<const std::uint8_t*>(&Settings);
  for (std::size_t i = 0; i < sizeof(SettingsBlock); ++i)
    std::printf("%02X%s", p[i], (i % 16 == 15 || i + 1 == sizeof(SettingsBlock)) ? "\n" : " ");
  return kOk;
}

int ControllerCmd(const Args& args) {
  long rate = 0;
  if (!args.empty() && args[0] == "rate") {
    if (args.size() > 2 || (args.size() == 2 && !ParseInt(args[1], 1, 1000, rate))) return kUsage;
    if (int rc = Open()) return rc;
    std::int32_t value = static_cast<std::int32_t>(rate);  // 0 asks for the rate as it is
    bool ok = Request(IOCTL_SIM_REPORT_RATE, value);
    CloseDriver();
    if (!ok) return NoAnswer();
    if (args.size() == 1) std::printf("%d\n", value);
    return kOk;
  }
  if (args.size() != 1 || (args[0] != "present" && args[0] != "absent")) return kUsage;
  if (int rc = Open()) return rc;
  std::int32_t present = args[0] == "present" ? 1 : 0;
  bool ok = Request(IOCTL_SIM_SET_PRESENT, present);
  CloseDriver();
  return ok ? kOk : NoAnswer();
}

namespace {

// A request whose reply is the last TouchSample.
template <typename Record>
int Report(std::uint32_t code, const Record& record) {
  if (int rc = Open()) return rc;
  DWORD returned = 0;
  TouchSample sample{};
  bool ok = DeviceIoControl(DriverHandle, code, &record, sizeof record, &sample, sizeof sample, &returned, nullptr);
  CloseDriver();
  return ok ? kOk : NoAnswer();
}

// "X Y [OPTION N]": a raw point, and N (between LOW and HIGH) when the option is given.
bool ParsePoint(const Args& args, const char* option, long low, long high, long& x, long& y, long& n) {
  bool ok = args.size() >= 2 && ParseInt(args[0], -32768, 32767, x) && ParseInt(args[1], -32768, 32767, y);
  if (ok && args.size() == 4 && args[2] == option) return ParseInt(args[3], low, high, n);
  return ok && args.size() == 2;
}

}  // namespace

int Touch(const Args& args) {
  if (args.size() == 1 && (args[0] == "off" || args[0] == "on"))
    return Set({args[0] == "on" ? "TouchOn=1" : "TouchOn=0"});
  long x = 0, y = 0, reports = 1;
  if (!ParsePoint(args, "--reports", 1, 65535, x, y, reports)) return kUsage;
  SimTouch touch{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 1, 0, static_cast<std::uint16_t>(reports)};
  return Report(IOCTL_SIM_TOUCH, touch);
}

int Press(const Args& args) {
  long x = 0, y = 0, jitter = 0;
  if (!ParsePoint(args, "--jitter", 0, 1023, x, y, jitter)) return kUsage;
  SimFinger finger{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), static_cast<std::uint16_t>(jitter), 1,
                   0};
  return Report(IOCTL_SIM_FINGER, finger);
}

int Lift(const Args& args) {
  if (!args.empty()) return kUsage;
  // The finger leaves where it was last reported.
  SimFinger finger{0, 0, 0, 0, 0};
  return Report(IOCTL_SIM_FINGER, finger);
}

int Pointer(const Args& args) {
  if (!args.empty()) return kUsage;
  if (int rc = Open()) return rc;
  SimStatus status{};
  bool ok = Request(IOCTL_SIM_GET_STATUS, status);
  CloseDriver();
  if (!ok) return NoAnswer();
  std::printf("%d %d\n", status.PointerX, status.PointerY);
  return kOk;
}

int Output(const Args& args) {
  if (!args.empty()) return kUsage;
  if (int rc = Open()) return rc;
  std::vector<char> text(4096);
  DWORD returned = 0;
  bool ok = DeviceIoControl(DriverHandle, IOCTL_SIM_DESCRIBE_IO, nullptr, 0, text.data(),
                            static_cast<DWORD>(text.size()), &returned, nullptr);
  CloseDriver();
  if (!ok) return NoAnswer();
  std::fwrite(text.data(), 1, returned, stdout);
  std::printf("Log: %s\n", ProgramLogPlace("qxwmecomd").c_str());
  return kOk;
}

int JournalCmd(const Args& args) {
  bool clear = args.size() == 1 && args[0] == "--clear";
  if (!args.empty() && !clear) return kUsage;
  if (int rc = Open()) return rc;
  DWORD returned = 0;
  bool ok;
  if (clear) {
    ok = DeviceIoControl(DriverHandle, IOCTL_SIM_CLEAR_JOURNAL, nullptr, 0, nullptr, 0, &returned, nullptr);
  } else {
    std::vector<char> text(4u << 20);
    ok = DeviceIoControl(DriverHandle, IOCTL_SIM_READ_JOURNAL, nullptr, 0, text.data(), static_cast<DWORD>(text.size()),
                         &returned, nullptr);
    if (ok) std::fwrite(text.data(), 1, returned, stdout);
  }
  CloseDriver();
  return ok ? kOk : NoAnswer();
}

int Rbf(const Args& args) {
  if (!args.empty()) return kUsage;
  if (int rc = Open()) return rc;
  RbfRecord = RbfRegistration{};
  GetRbfRegistration();
  bool ok = LastRequestResult;
  CloseDriver();
  if (!ok) return NoAnswer();
  std::printf("Window=%d Armed=%d\n", RbfRecord.Window, RbfRecord.Armed);
  return kOk;
}

int Smi(const Args& args) {
  long window = 0, rotation = 0;
  bool registering = args.size() == 2;
  if (!args.empty() && !(registering && ParseInt(args[0], -2147483647L - 1, 2147483647L, window) &&
                         ParseInt(args[1], -32768, 32767, rotation)))
    return kUsage;
  if (int rc = Open()) return rc;
  bool ok;
  if (registering) {
    SmiRegistration record{static_cast<std::int32_t>(window), static_cast<std::int16_t>(rotation), 0};
    ok = Request(IOCTL_SET_SMI_REGISTRATION, record);
  } else {
    GetSmiRegistration();
    ok = LastRequestResult;
  }
  CloseDriver();
  if (!ok) return NoAnswer();
  if (!registering) std::printf("Window=%d RotationCode=%d\n", SmiRecord.Window, SmiRecord.RotationCode);
  return kOk;
}

}  // namespace qx::ctl
