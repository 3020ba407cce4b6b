#include "host/device_file.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/device_frame.h"
#include "host/environment_bound.h"
#include "host/last_error.h"
#include "host/machine_root.h"
#include "host/unix_connect.h"

namespace qx {

namespace {

// The device handles opened here, and what each goes by.
struct DeviceLink {
  // QX_DEVICE_TIMEOUT_MS as the handle was opened: its socket's receive time-out too, so one
  // value bounds every wait of a request. Read once, as the environment is a list searched by name.
  int timeoutMs = 0;
  bool broken = false;  // its stream lost its framing (a time-out mid-reply): every later request fails
};
std::mutex linksMutex;
std::map<int, DeviceLink> links;
std::atomic<unsigned> linksVersion{0};  // changes whenever a link is made or breaks

std::optional<DeviceLink> LookUpLink(HANDLE h) {
  if (!IsHandle(h, HandleKind::Device)) return std::nullopt;
  std::lock_guard lock(linksMutex);
  auto it = links.find(static_cast<int>(h));
  if (it == links.end() || it->second.broken) return std::nullopt;
  return it->second;
}

// The link of an open device handle that is not broken; none otherwise. Kept for the thread's
// next request, as long as no handle and no link changed: a program's requests come one after
// another on one handle, and the look-up takes two locks.
std::optional<DeviceLink> OpenLink(HANDLE h) {
  struct Found {
    bool valid = false;
    HANDLE handle = 0;
    unsigned handles = 0;
    unsigned links = 0;
    std::optional<DeviceLink> link;
  };
  thread_local Found last;
  // Read before the look-up: a change during it makes the next request look again.
  const unsigned handlesNow = HandlesVersion();
  const unsigned linksNow = linksVersion;
  if (!last.valid || last.handle != h || last.handles != handlesNow || last.links != linksNow)
    last = Found{true, h, handlesNow, linksNow, LookUpLink(h)};
  return last.link;
}

void MarkBroken(HANDLE h) {
  std::lock_guard lock(linksMutex);
  links[static_cast<int>(h)].broken = true;
  ++linksVersion;
  ::shutdown(static_cast<int>(h), SHUT_RDWR);
}

// Where this thread's replies land, kept from one request to the next so that a request allocates
// nothing; room a large reply (the journal) took is given back before the next.
std::vector<std::uint8_t>& ReplyRoom() {
  constexpr std::size_t kKept = 64u << 10;
  thread_local std::vector<std::uint8_t> room;
  if (room.capacity() > kKept) std::vector<std::uint8_t>().swap(room);
  return room;
}

}  // namespace

int DeviceTimeoutMs() { return MillisecondsFromEnvironment("QX_DEVICE_TIMEOUT_MS", 3000); }

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
    std::lock_guard lock(linksMutex);
    links[fd] = DeviceLink{ms};
    ++linksVersion;
  }
  AddHandle(fd, HandleKind::Device);
  SetLastError(ERROR_SUCCESS);
  return fd;
}

BOOL DeviceIoControl(HANDLE device, DWORD code, const void* inBuffer, DWORD inSize, void* outBuffer, DWORD outSize,
                     DWORD* bytesReturned, void*) {
  const std::optional<DeviceLink> link = OpenLink(device);
  if (!link || (inSize && !inBuffer) || inSize > frame::kMaxPayload) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  int fd = static_cast<int>(device);
  auto deadline = frame::Clock::now() + std::chrono::milliseconds(link->timeoutMs);
  frame::Header header;
  std::vector<std::uint8_t>& reply = ReplyRoom();
  if (!frame::SendFrame(fd, code, static_cast<const std::uint8_t*>(inBuffer), inSize, deadline) ||
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
