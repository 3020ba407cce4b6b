// What a registry call's Win32 error code means, in words for qxreg's messages.
#pragma once

#include <string>

#include "host/win_types.h"

namespace qx::reg {

inline std::string ErrorText(LONG rc) {
  switch (rc) {
    case ERROR_FILE_NOT_FOUND: return "the key or value does not exist";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_INVALID_HANDLE: return "invalid key handle";
    case ERROR_INVALID_PARAMETER: return "invalid parameter";
    case ERROR_BAD_PATHNAME: return "bad key name";
    case ERROR_KEY_DELETED: return "the key was deleted meanwhile";
    case ERROR_REGISTRY_IO_FAILED: return "the registry database cannot be read or written";
    default: return "error " + std::to_string(rc);
  }
}

}  // namespace qx::reg
