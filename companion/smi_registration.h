// What the companion tells the device service of itself: its registration (SmiRegistration: its
// window and the RotationCode the calibration reorders its points by; the service takes the
// RotationCode of the touchscreen's monitor in its place once the monitors are registered,
// companion/monitor_registration.h). The suite's
// programs read the registration (GetSmiRegistration) and send the window SMI_CLOSE.
#pragma once

#include <cstdint>

#include "host/win_types.h"

namespace qx::companion {

// Registers OWN with ROTATION_CODE (IOCTL_SET_SMI_REGISTRATION). The driver must be open. False
// when the service did not take it.
bool Register(HWND own, std::int16_t rotationCode);

// Window -1, RotationCode 0, as the service starts: unless the registration names another window
// by now, which is left as it is.
void Deregister(HWND own);

}  // namespace qx::companion
