#include "tests/support/device_request.h"

#include "host/device_file.h"

namespace qx::test {

bool AskDeviceBytes(HANDLE h, std::uint32_t code, const void* in, std::size_t inSize, void* out, std::size_t outSize) {
  DWORD returned = 0;
  return DeviceIoControl(h, code, in, static_cast<DWORD>(inSize), out, static_cast<DWORD>(outSize), &returned,
                         nullptr) &&
         returned == outSize;
}

bool AskDeviceBytes(std::uint32_t code, const void* in, std::size_t inSize, void* out, std::size_t outSize) {
  HANDLE h = CreateFileA("\\\\.\\QXWMECOM", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0x80, 0);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = AskDeviceBytes(h, code, in, inSize, out, outSize);
  CloseHandle(h);
  return ok;
}

}  // namespace qx::test
