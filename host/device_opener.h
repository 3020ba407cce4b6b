// How the device service gets its devices. Where the package's device broker listens (its socket
// is there), the person's processes may open neither /dev/uinput nor a touchscreen: the broker
// makes the suite's pointer device and opens touchscreens for the user at the seat, and takes them
// back when that user's session stops being the active one (docs/device-broker.md). Elsewhere (the
// demo, a build tree, the tests) the service opens them itself, where it may.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/uinput_device.h"
#include "host/unique_fd.h"

namespace qx {

// The broker's socket the service asks: QX_BROKER when it is set ("" for none), else the
// package's when it is there; "" when the service opens its devices itself.
std::string BrokerSocket();

// The suite's pointer device (host/uinput_device.h), from the broker or made here on /dev/uinput.
class PointerDevice {
 public:
  // The device over WIDTH × HEIGHT; nothing, with WHY, when it cannot be had.
  static std::unique_ptr<PointerDevice> Make(int width, int height, std::string& why);
  ~PointerDevice();
  PointerDevice(const PointerDevice&) = delete;
  PointerDevice& operator=(const PointerDevice&) = delete;

  // EVENTS written as one frame; false, with WHY, when the device is gone: the broker took it
  // back (WHY: its words) or does not keep up, or the kernel refused them.
  bool Write(const std::vector<PointerEvent>& events, std::string& why);
  // Its event node, "" when unknown; whether the broker made it.
  const std::string& node() const { return node_; }
  bool brokered() const { return brokered_; }

 private:
  PointerDevice(UniqueFd fd, bool brokered, std::string node)
      : fd_(std::move(fd)), brokered_(brokered), node_(std::move(node)) {}
  // The device made here on /dev/uinput.
  static std::unique_ptr<PointerDevice> MakeHere(int width, int height, std::string& why);

  UniqueFd fd_;  // the lease on the broker, else /dev/uinput
  bool brokered_;
  std::string node_;
};

// A touchscreen's event node, open for reading; from the broker, its lease beside it.
struct OpenedNode {
  UniqueFd fd;
  UniqueFd lease;
  // Why it could not be opened: ERROR, the errno of an open here; REFUSED, the broker would not
  // (NEVER: it never will, NODE being no touchscreen it hands out); WHY in words.
  int error = 0;
  bool refused = false;
  bool never = false;
  std::string why;
};
OpenedNode OpenTouchscreenNode(const std::string& node);

// The broker's last words on LEASE when it took its device back ("" when it has not), without
// waiting.
std::string TakenBack(int lease);

}  // namespace qx
