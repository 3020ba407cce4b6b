#include "host/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "host/machine_root.h"

namespace qx {

namespace {

std::mutex locksMutex;
std::map<std::string, int> heldLocks;  // lock file path -> the descriptor that holds it

// A name becomes one file name: a separator in it must not lead elsewhere.
std::string FileName(const std::string& name) {
  std::string file = name.empty() ? "_" : name;
  for (char& c : file)
    if (c == '/' || c == '\0') c = '_';
  if (file == "." || file == "..") file = "_";
  return file + ".lock";
}

}  // namespace

bool TakeInstanceLock(const std::string& name) {
  std::string path = RunDir() + "/" + FileName(name);
  std::lock_guard lock(locksMutex);
  if (heldLocks.count(path)) return true;
  // Not through a link someone else planted: the lock file is the owner's, like all of run/.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return true;  // nowhere to keep a lock: nobody else can hold it either
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    ::close(fd);
    return false;
  }
  heldLocks[path] = fd;
  return true;
}

}  // namespace qx
