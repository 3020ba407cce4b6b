#include "host/handles.h"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <map>
#include <mutex>

#include "host/last_error.h"

namespace qx {

namespace {

std::mutex handlesMutex;
std::map<int, HandleKind> openHandles;
std::atomic<unsigned> version{0};

}  // namespace

void AddHandle(int fd, HandleKind kind) {
  std::lock_guard lock(handlesMutex);
  openHandles[fd] = kind;
  ++version;
}

bool IsHandle(HANDLE h, HandleKind kind) {
  if (h < 0 || h > INT_MAX) return false;
  std::lock_guard lock(handlesMutex);
  auto it = openHandles.find(static_cast<int>(h));
  return it != openHandles.end() && it->second == kind;
}

unsigned HandlesVersion() { return version; }

BOOL CloseHandle(HANDLE handle) {
  std::lock_guard lock(handlesMutex);
  auto it = handle < 0 || handle > INT_MAX ? openHandles.end() : openHandles.find(static_cast<int>(handle));
  if (it == openHandles.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  openHandles.erase(it);
  ++version;
  ::close(static_cast<int>(handle));
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace qx
