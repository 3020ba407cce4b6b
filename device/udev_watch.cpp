#include "device/udev_watch.h"

#include <libudev.h>

#include <cerrno>
#include <cstring>

namespace qx {

namespace {

constexpr int kReceiveBuffer = 1 << 20;

}  // namespace

UdevWatch::UdevWatch() : udev_(udev_new()) {
  if (!udev_) return;
  // udev's own announcements come once its rules have run: the device has its properties by then.
  monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (!monitor_) return;
  // Room for a burst of announcements (a hub of devices plugged at once) while the loop is busy;
  // what overflows even this is noticed (Dropped) and made up for by looking.
  udev_monitor_set_receive_buffer_size(monitor_, kReceiveBuffer);
  if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "input", nullptr) < 0 ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor_) < 0) {
    udev_monitor_unref(monitor_);
    monitor_ = nullptr;
    return;
  }
  fd_ = udev_monitor_get_fd(monitor_);
}

UdevWatch::~UdevWatch() {
  if (monitor_) udev_monitor_unref(monitor_);
  if (udev_) udev_unref(udev_);
}

std::vector<UdevWatch::Change> UdevWatch::Take() {
  std::vector<Change> changes;
  dropped_ = false;
  if (!monitor_) return changes;
  // The monitor's socket does not block: receive_device gives nothing once it is empty, or once
  // the socket overflowed (ENOBUFS: said once; the kernel clears it), after which it receives again.
  for (;;) {
    errno = 0;
    udev_device* dev = udev_monitor_receive_device(monitor_);
    if (!dev && errno == ENOBUFS && !dropped_) {
      dropped_ = true;
      continue;
    }
    if (!dev) break;
    const char* action = udev_device_get_action(dev);
    const char* node = udev_device_get_devnode(dev);
    const char* sysname = udev_device_get_sysname(dev);
    const char* subsystem = udev_device_get_subsystem(dev);
    if (action && sysname && subsystem && std::strcmp(subsystem, "tty") == 0)
      changes.push_back({std::strcmp(action, "remove") != 0, node ? node : std::string("/dev/") + sysname, true});
    else if (action && node && sysname && std::strncmp(sysname, "event", 5) == 0 &&
             (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0))
      changes.push_back({std::strcmp(action, "add") == 0, node});
    udev_device_unref(dev);
  }
  return changes;
}

}  // namespace qx
