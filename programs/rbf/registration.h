// The right-button program's registration with the driver (RbfRegistration): the one window the
// other programs of the suite reach the right-button program by.
#pragma once

#include "host/win_types.h"

namespace qx {

enum class Registration {
  Registered,  // OWN is now the registered window, with the armed flag 0
  CopyShown,   // another copy is registered and was told to show its window; this copy ends
};

// Reads the registration. A registered window that answers belongs to a running copy: it is sent
// RBF_SHOW. With no window registered, or one that no longer answers (its program ended without
// deregistering: killed, or crashed), OWN is registered in its place. The driver must be open.
Registration Register(HWND own);

// Handle -1, armed flag 0: unless the registration names another window by now (a copy that
// took a registration it judged stale), which is left as it is.
void Deregister(HWND own);

}  // namespace qx
