#include "host/device_file.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "host/device_frame.h"
#include "host/last_error.h"
#include "host/machine_root.h"
#include "host/unix_connect.h"

namespace qx {

namespace {

// Handles whose stream lost its framing (a time-out mid-reply): every later request on them fails.
std::mutex brokenMutex;
std::set<int> brokenHandles;

bool IsOpen(HANDLE h) {
  if (!IsHandle(h, HandleKind::Device)) return false;
  std::lock_guard lock(brokenMutex);
  return !brokenHandles.count(static_cast<int>(h));
}

void MarkBroken(HANDLE h) {
  std::lock_guard lock(brokenMutex);
  brokenHandles.insert(static_cast<int>(h));
  ::shutdown(static_cast<int>(h), SHUT_RDWR);
}

}  // namespace

int DeviceTimeoutMs() {
  if (const char* v = std::getenv("QX_DEVICE_TIMEOUT_MS"); v && *v) {
    int ms = std::atoi(v);
    if (ms > 0) return ms;
  }
  return 3000;
}

HANDLE CreateFileA(const char* fileName, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
  static const char kDevicePrefix[] = "\\\\.\\";
  if (!fileName || std::strncmp(fileName, kDevicePrefix, 4) != 0 || !fileName[4] || std::strpbrk(fileName + 4, "\\/")) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  // Only looked for: a device is a socket some service made, and a look makes no folder.
  std::string path = MachineRoot() + "/run/" + (fileName + 4);
  const int ms = DeviceTimeoutMs();
  // Bounded like every request: a service that is stopped, or does not accept, fails the open.
  int fd = ConnectUnix(path, frame::Clock::now() + std::chrono::milliseconds(ms));
  if (fd < 0) {
    SetLastError(errno == ETIMEDOUT      ? ERROR_SEM_TIMEOUT
                 : errno == ENAMETOOLONG ? ERROR_PATH_NOT_FOUND
                                         : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  // A reply is awaited in the read itself (a blocking socket); the time-out keeps that read bounded.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  timeval bound{ms / 1000, (ms % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
  {
    std::lock_guard lock(brokenMutex);
    brokenHandles.erase(fd);
  }
  AddHandle(fd, HandleKind::Device);
  SetLastError(ERROR_SUCCESS);
  return fd;
}

BOOL DeviceIoControl(HANDLE device, DWORD code, const void* inBuffer, DWORD inSize, void* outBuffer, DWORD outSize,
                     DWORD* bytesReturned, void*) {
  if (!IsOpen(device) || (inSize && !inBuffer) || inSize > frame::kMaxPayload) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  int fd = static_cast<int>(device);
  auto deadline = frame::Clock::now() + std::chrono::milliseconds(DeviceTimeoutMs());
  std::vector<std::uint8_t> request = frame::Encode(code, static_cast<const std::uint8_t*>(inBuffer), inSize);
  frame::Header header;
  std::vector<std::uint8_t> reply;
  if (!frame::SendAll(fd, request.data(), request.size(), deadline) ||
      !frame::ReceiveFrame(fd, header, reply, outSize, deadline)) {
    MarkBroken(device);
    SetLastError(ERROR_SEM_TIMEOUT);
    return FALSE;
  }
  std::uint32_t success = header.first;
  std::uint32_t count = header.second;
  if (success != 1) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::uint32_t copied = count < outSize ? count : outSize;
  if (copied) std::memcpy(outBuffer, reply.data(), copied);
  if (bytesReturned) *bytesReturned = copied;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace qx
