#include "companion/smi_registration.h"

#include "core/driver_link.h"
#include "host/device_file.h"

namespace qx::companion {

namespace {

// The companion's own request, which the suite's programs never send: not in the driver link.
bool SetSmiRegistration() {
  DWORD returned = 0;
  return DeviceIoControl(DriverHandle, IOCTL_SET_SMI_REGISTRATION, &SmiRecord, sizeof SmiRecord, &SmiRecord,
                         sizeof SmiRecord, &returned, nullptr) &&
         returned == sizeof SmiRecord;
}

}  // namespace

bool Register(HWND own, std::int16_t rotationCode) {
  SmiRecord = SmiRegistration{own, rotationCode, 0};
  return SetSmiRegistration();
}

void Deregister(HWND own) {
  GetSmiRegistration();
  if (!LastRequestResult || SmiRecord.Window != own) return;
  SmiRecord = SmiRegistration{-1, 0, 0};
  SetSmiRegistration();
}

}  // namespace qx::companion
