#include "core/driver_records.h"

#include <algorithm>

#include "core/controller_info.h"

namespace qx {

namespace {

constexpr std::uint32_t kBlock = sizeof(SettingsBlock);
constexpr std::uint32_t kI32 = sizeof(std::int32_t);
constexpr std::uint32_t kLayout = sizeof(MonitorLayout);
constexpr std::uint32_t kOptions = sizeof(TouchOptions);

std::vector<RequestEntry> MakeTable() {
  return {
      {IOCTL_GET_SETTINGS, "GetSettings", kBlock, {}},
      {IOCTL_GET_TOUCH_SAMPLE, "GetTouchSample", sizeof(TouchSample), {}},
      {IOCTL_SET_CALIBRATION_STATE, "SetCalibrationState", kI32, {}},
      {IOCTL_SET_SERIAL_PORTS, "SetSerialPorts", kBlock, {"PortIrq1", "PortIrq2", "PortIrq3", "PortIrq4"}},
      {IOCTL_SET_TOUCH_MODE,
       "SetTouchMode",
       kBlock,
       {"TouchMode", "RbfEnable", "RbfAutoMode", "RbfAutoSTime", "RbfAutoETime", "RbfAutoBeep"}},
      {IOCTL_SET_FEEDBACK_SOUND, "SetFeedbackSound", kBlock, {"SoundMode", "SoundTone", "SoundDuration"}},
      {IOCTL_SET_SENSITIVITY, "SetSensitivity", kBlock, {"Sensitivity"}},
      {IOCTL_SET_MOUSE_SPEED, "SetMouseSpeed", kBlock, {"Bypass", "SpeedH", "SpeedV", "Acceleration"}},
      {IOCTL_SET_CALIBRATION, "SetCalibration", kBlock, {"CalibrationData", "CalibrationFlags"}},
      {IOCTL_SET_SCREEN_SIZE, "SetScreenSize", kBlock, {"ScreenWidth", "ScreenHeight"}},
      {IOCTL_SET_POWER_SAVE, "SetPowerSave", kBlock, {"PowerDownTime"}},
      {IOCTL_GET_RBF_REGISTRATION, "GetRbfRegistration", sizeof(RbfRegistration), {}},
      {IOCTL_SET_RBF_REGISTRATION, "SetRbfRegistration", sizeof(RbfRegistration), {}},
      {IOCTL_GET_SMI_REGISTRATION, "GetSmiRegistration", sizeof(SmiRegistration), {}},
      {IOCTL_PLAY_TEST_SOUND, "PlayTestSound", sizeof(TestSound), {}},
      {IOCTL_SET_MONITORS, "SetMonitors", kLayout, {}},
      {IOCTL_GET_MONITORS, "GetMonitors", kLayout, {}},
      {IOCTL_MAP_TO_OUTPUT, "MapToOutput", sizeof(OutputName), {}},
      {IOCTL_GET_INPUT, "GetInput", sizeof(InputInfo), {}},
      {IOCTL_SET_INPUT, "SetInput", sizeof(InputUse), {}},
      {IOCTL_GET_OPTIONS, "GetOptions", kOptions, {}},
      {IOCTL_SET_OPTIONS, "SetOptions", kOptions, {}},
      {IOCTL_SET_FIELDS, "SetFields", sizeof(FieldChanges), {}},
      {IOCTL_SET_SMI_REGISTRATION, "SetSmiRegistration", sizeof(SmiRegistration), {}},
      {IOCTL_SIM_GET_BLOCK, "SimGetBlock", kBlock, {}},
      {IOCTL_SIM_SET_BLOCK, "SimSetBlock", kBlock, {}},
      {IOCTL_SIM_SET_PRESENT, "SimSetPresent", kI32, {}},
      {IOCTL_SIM_TOUCH, "SimTouch", sizeof(SimTouch), {}},
      {IOCTL_SIM_GET_STATUS, "SimGetStatus", sizeof(SimStatus), {}},
      {IOCTL_SIM_READ_JOURNAL, "SimReadJournal", 0, {}},
      {IOCTL_SIM_CLEAR_JOURNAL, "SimClearJournal", 0, {}},
      {IOCTL_SIM_FINGER, "SimFinger", sizeof(SimFinger), {}},
      {IOCTL_SIM_REPORT_RATE, "SimReportRate", kI32, {}},
      {IOCTL_SIM_DESCRIBE_IO, "SimDescribeIo", 0, {}},
      {IOCTL_SIM_REPLAY, "SimReplay", sizeof(SimReplay), {}},
      {IOCTL_SIM_READ_REPORTS, "SimReadReports", sizeof(SimReports), {}},
      {IOCTL_WAIT_RBF_DISARMED, "WaitRbfDisarmed", sizeof(RbfRegistration), {}},
      {IOCTL_GET_CONTROLLER_INFO, "GetControllerInfo", sizeof(ControllerInfo), {}},
  };
}

}  // namespace

const std::vector<RequestEntry>& RequestTable() {
  static const std::vector<RequestEntry> table = [] {
    std::vector<RequestEntry> t = MakeTable();
    for (RequestEntry& row : t) row.taken = FieldList(row.fields);
    return t;
  }();
  return table;
}

const RequestEntry* FindRequest(std::uint32_t code) {
  const std::vector<RequestEntry>& table = RequestTable();
  auto row = std::find_if(table.begin(), table.end(), [code](const RequestEntry& e) { return e.code == code; });
  return row == table.end() ? nullptr : &*row;
}

const char* RequestName(std::uint32_t code) {
  const RequestEntry* row = FindRequest(code);
  return row ? row->name : "";
}

}  // namespace qx
