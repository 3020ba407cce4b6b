#include "device/touchscreen_finder.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <libudev.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace qx {

namespace {

std::string Attribute(udev_device* dev, const char* name) {
  const char* value = dev ? udev_device_get_sysattr_value(dev, name) : nullptr;
  std::string text = value ? value : "";
  text.erase(text.find_last_not_of(" \n") + 1);
  return text;
}

std::uint16_t Hex16(const std::string& text) {
  return static_cast<std::uint16_t>(std::strtoul(text.c_str(), nullptr, 16));
}

// The identity udev keeps for an event device, from its parent input device.
TouchscreenIdentity IdentityOf(udev_device* event) {
  udev_device* input = udev_device_get_parent_with_subsystem_devtype(event, "input", nullptr);
  TouchscreenIdentity id;
  id.name = Attribute(input, "name");
  id.phys = Attribute(input, "phys");
  id.vendor = Hex16(Attribute(input, "id/vendor"));
  id.product = Hex16(Attribute(input, "id/product"));
  return id;
}

// The device asked itself, for a device udev has no properties for; the identity it gives.
bool AskedIsTouchscreen(const std::string& node, TouchscreenIdentity& id, bool& unreadable) {
  const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  unreadable = fd < 0;
  if (fd < 0) return false;
  libevdev* dev = nullptr;
  bool yes = libevdev_new_from_fd(fd, &dev) == 0 && NotTouchscreen(dev).empty();
  if (yes && id.name.empty()) id.name = libevdev_get_name(dev);
  if (yes && id.vendor == 0) id.vendor = static_cast<std::uint16_t>(libevdev_get_id_vendor(dev));
  if (yes && id.product == 0) id.product = static_cast<std::uint16_t>(libevdev_get_id_product(dev));
  if (dev) libevdev_free(dev);
  ::close(fd);
  return yes;
}

// Whether the event device DEV is a touchscreen (udev's word where it has one; a tablet may be a
// pen controller, which is asked), or one NAMED names.
bool Classify(udev_device* dev, const std::string& named, TouchscreenCandidate& found, bool& unreadable) {
  unreadable = false;
  const char* node = udev_device_get_devnode(dev);
  const char* sysname = udev_device_get_sysname(dev);
  if (!node || !sysname || std::strncmp(sysname, "event", 5) != 0) return false;
  found.node = node;
  found.identity = IdentityOf(dev);
  const UdevWord word = UdevCalls(dev);
  found.vouched = word == UdevWord::kTouchscreen || (!named.empty() && Names(named, found.identity));
  if (found.vouched || word == UdevWord::kOther) return found.vouched;
  return AskedIsTouchscreen(found.node, found.identity, unreadable);
}

long EventNumber(const std::string& node) { return std::strtol(node.c_str() + node.rfind("event") + 5, nullptr, 10); }

}  // namespace

std::vector<TouchscreenCandidate> FindTouchscreens(int& unreadable, const std::string& named) {
  unreadable = 0;
  std::vector<TouchscreenCandidate> found;
  UdevPtr<udev> u(udev_new());
  UdevPtr<udev_enumerate> e(u ? udev_enumerate_new(u.get()) : nullptr);
  if (!e) return found;
  udev_enumerate_add_match_subsystem(e.get(), "input");
  udev_enumerate_scan_devices(e.get());
  for (udev_list_entry* entry = udev_enumerate_get_list_entry(e.get()); entry;
       entry = udev_list_entry_get_next(entry)) {
    UdevPtr<udev_device> dev(udev_device_new_from_syspath(u.get(), udev_list_entry_get_name(entry)));
    TouchscreenCandidate candidate;
    bool closed = false;
    if (dev && Classify(dev.get(), named, candidate, closed)) found.push_back(candidate);
    unreadable += closed;
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return EventNumber(a.node) < EventNumber(b.node); });
  return found;
}

bool Names(const std::string& named, const TouchscreenIdentity& identity) {
  return named == identity.name || named == identity.IdText();
}

const TouchscreenCandidate& ChooseTouchscreen(const std::vector<TouchscreenCandidate>& candidates,
                                              const TouchscreenIdentity& remembered, std::string& why) {
  if (!remembered.empty()) {
    // The same device where it was, else the same kind of device anywhere (one like it plugged in).
    for (const TouchscreenCandidate& c : candidates)
      if (c.identity.IdText() == remembered.IdText() && c.identity.name == remembered.name &&
          c.identity.phys == remembered.phys) {
        why = "the one this machine took before";
        return c;
      }
    for (const TouchscreenCandidate& c : candidates)
      if (c.identity.IdText() == remembered.IdText() && c.identity.name == remembered.name) {
        why = "one like the one this machine took before";
        return c;
      }
  }
  why = candidates.size() == 1 ? "the only touchscreen"
                               : "the first of " + std::to_string(candidates.size()) + " touchscreens";
  return candidates.front();
}

}  // namespace qx
