#include "programs/rbf/registration.h"

#include "core/driver_link.h"
#include "host/window_bus.h"

namespace qx {

Registration Register(HWND own) {
  GetRbfRegistration();
  const HWND registered = RbfRecord.Window;
  // Without this test a copy that was killed would keep the function from ever starting again.
  if (registered != -1 && IsWindow(registered)) {
    SendMessageA(registered, WM_USER, RBF_SHOW, 0);
    return Registration::CopyShown;
  }
  RbfRecord.Armed = 0;
  RbfRecord.Window = own;
  SetRbfRegistration();
  return Registration::Registered;
}

void Deregister(HWND own) {
  GetRbfRegistration();
  if (RbfRecord.Window != own) return;
  RbfRecord.Window = -1;
  RbfRecord.Armed = 0;
  SetRbfRegistration();
}

}  // namespace qx
