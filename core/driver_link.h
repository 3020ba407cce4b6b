// The link to the driver: one device handle and one buffer per record, program-wide, as every
// program of the suite holds them. Requests report nothing; callers read the buffers. The last
// result and returned count are kept, and nobody tests them.
#pragma once

#include <cstdint>
#include <string>

#include "core/controller_info.h"
#include "core/driver_records.h"
#include "core/settings_block.h"
#include "host/win_types.h"

namespace qx {

inline constexpr char DRIVER_FILE[] = "QXWMECOM.vxd";

// Window messages: WM_USER with these wParams.
inline constexpr UINT WM_USER = 0x400;
inline constexpr std::uint32_t RBF_HIDE = 0x1000;
inline constexpr std::uint32_t RBF_SHOW = 0x1001;
inline constexpr std::uint32_t RBF_CLOSE = 0x100E;
inline constexpr std::uint32_t SMI_CLOSE = 0x200E;

// Program-wide state, zero at start.
extern HANDLE DriverHandle;  // INVALID_HANDLE_VALUE (-1) when not open
extern BOOL LastRequestResult;
extern DWORD ReturnedBytes;
extern SettingsBlock Settings;
extern TouchSample Touch;
extern std::int32_t CalibrationState;
extern RbfRegistration RbfRecord;
extern SmiRegistration SmiRecord;
extern TestSound Sound;
// What the controller is beyond the block (core/controller_info.h); zero until asked.
extern ControllerInfo ControllerRecord;

bool OpenDriver();
void CloseDriver();

// "Fail to open QXWMECOM.vxd!" with the program's title as caption, in the error box
// (host/message_box.h).
void ReportDriverMissing(const std::string& title);

void GetSettings();
void GetTouchSample();
void SetCalibrationState(long value);
void SetSerialPorts();
void SetTouchMode();
void SetFeedbackSound();
void SetSensitivity();
void SetMouseSpeed();
void SetCalibration();
void SetScreenSize();
void SetPowerSave();
void GetRbfRegistration();
void SetRbfRegistration();
// The registration once the service has found the armed flag clear, or after its hold bound
// (kRbfWaitHoldMs): the right-button program's wait for the touch, without polling.
void WaitRbfDisarmed();
void GetSmiRegistration();
void PlayTestSound();
// The service's own request: ControllerRecord, left zero by a service that does not know it.
void GetControllerInfo();

// Notifications: read the registration and, when it names a window (not -1), send it WM_USER
// with the wParam below and lParam 0 through SendMessageA, waiting until it has been handled.
void HideRbfWindow();    // RBF_HIDE to the right-button program
void ShowRbfWindow();    // RBF_SHOW to the right-button program
void CloseRbfProgram();  // RBF_CLOSE to the right-button program
void CloseSmiProgram();  // SMI_CLOSE to the companion program

}  // namespace qx
