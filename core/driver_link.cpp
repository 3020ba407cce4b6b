#include "core/driver_link.h"

#include "host/device_file.h"
#include "host/handles.h"
#include "host/message_box.h"
#include "host/program_state.h"
#include "host/window_bus.h"

namespace qx {

HANDLE DriverHandle = INVALID_HANDLE_VALUE;
BOOL LastRequestResult = 0;
DWORD ReturnedBytes = 0;
SettingsBlock Settings{};
TouchSample Touch{};
std::int32_t CalibrationState = 0;
RbfRegistration RbfRecord{};
SmiRegistration SmiRecord{};
TestSound Sound{};
ControllerInfo ControllerRecord{};

namespace {

// Twenty zero bytes whose address goes with every request, as the platform call takes it.
unsigned char Overlapped[20] = {};

const ProgramState kDriverLinkState([] {
  if (DriverHandle != INVALID_HANDLE_VALUE) CloseHandle(DriverHandle);
  DriverHandle = INVALID_HANDLE_VALUE;
  LastRequestResult = 0;
  ReturnedBytes = 0;
  Settings = {};
  Touch = {};
  CalibrationState = 0;
  RbfRecord = {};
  SmiRecord = {};
  Sound = {};
  ControllerRecord = {};
});

// One DeviceIoControl on the stored handle, the buffer as both input and output.
template <typename Record>
void Request(std::uint32_t code, Record& buffer) {
  LastRequestResult =
      DeviceIoControl(DriverHandle, code, &buffer, sizeof(Record), &buffer, sizeof(Record), &ReturnedBytes, Overlapped);
}

}  // namespace

bool OpenDriver() {
  const std::string name = std::string("\\\\.\\") + DRIVER_NAME;
  DriverHandle = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, 0);
  return DriverHandle != INVALID_HANDLE_VALUE;
}

// The stored handle is left as it was: Windows programs did the same.
void CloseDriver() { CloseHandle(DriverHandle); }

void ReportDriverMissing(const std::string& title) {
  ErrorBox(std::string("Fail to open ") + DRIVER_FILE + "!", title);
}

void GetSettings() { Request(IOCTL_GET_SETTINGS, Settings); }
void GetTouchSample() { Request(IOCTL_GET_TOUCH_SAMPLE, Touch); }
void SetCalibrationState(long value) {
  CalibrationState = static_cast<std::int32_t>(value);
  Request(IOCTL_SET_CALIBRATION_STATE, CalibrationState);
}
void SetSerialPorts() { Request(IOCTL_SET_SERIAL_PORTS, Settings); }
void SetTouchMode() { Request(IOCTL_SET_TOUCH_MODE, Settings); }
void SetFeedbackSound() { Request(IOCTL_SET_FEEDBACK_SOUND, Settings); }
void SetSensitivity() { Request(IOCTL_SET_SENSITIVITY, Settings); }
void SetMouseSpeed() { Request(IOCTL_SET_MOUSE_SPEED, Settings); }
void SetCalibration() { Request(IOCTL_SET_CALIBRATION, Settings); }
void SetScreenSize() { Request(IOCTL_SET_SCREEN_SIZE, Settings); }
void SetPowerSave() { Request(IOCTL_SET_POWER_SAVE, Settings); }
void GetRbfRegistration() { Request(IOCTL_GET_RBF_REGISTRATION, RbfRecord); }
void SetRbfRegistration() { Request(IOCTL_SET_RBF_REGISTRATION, RbfRecord); }
void WaitRbfDisarmed() { Request(IOCTL_WAIT_RBF_DISARMED, RbfRecord); }
void GetSmiRegistration() { Request(IOCTL_GET_SMI_REGISTRATION, SmiRecord); }
void PlayTestSound() { Request(IOCTL_PLAY_TEST_SOUND, Sound); }
void GetControllerInfo() { Request(IOCTL_GET_CONTROLLER_INFO, ControllerRecord); }

namespace {

void Notify(std::int32_t window, std::uint32_t what) {
  if (window != -1) SendMessageA(window, WM_USER, what, 0);
}

}  // namespace

void HideRbfWindow() {
  GetRbfRegistration();
  Notify(RbfRecord.Window, RBF_HIDE);
}

void ShowRbfWindow() {
  GetRbfRegistration();
  Notify(RbfRecord.Window, RBF_SHOW);
}

void CloseRbfProgram() {
  GetRbfRegistration();
  Notify(RbfRecord.Window, RBF_CLOSE);
}

void CloseSmiProgram() {
  GetSmiRegistration();
  Notify(SmiRecord.Window, SMI_CLOSE);
}

}  // namespace qx
