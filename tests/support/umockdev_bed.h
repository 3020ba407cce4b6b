// A umockdev test bed for touchscreens plugged in and out while a program runs under it: the
// program, started with Environment(), sees the test bed's /sys and /dev and gets udev's
// announcements of what Plug and Unplug do, as a real device's would come. The test bed is held by
// a process of its own (umockdev-bed), which the announcements need to run under umockdev too.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/touch_recording.h"
#include "tests/support/umockdev_device.h"

namespace qx::test {

class UmockdevBed {
 public:
  UmockdevBed();
  ~UmockdevBed();
  UmockdevBed(const UmockdevBed&) = delete;
  UmockdevBed& operator=(const UmockdevBed&) = delete;

  // "LD_PRELOAD=…", "UMOCKDEV_DIR=…": what a program needs to run under the test bed.
  std::vector<std::string> Environment() const;
  // DEVICE plugged in at NODE (/dev/input/eventN) with udev PROPERTIES, playing EVENTS (evemu E:
  // lines, from the moment a program opens it; none: ""), and announced. False with WHY.
  bool Plug(const TestTouchscreen& device, const std::string& node, const std::string& events, std::string& why,
            const std::string& properties = kUdevTouchscreen);
  // The device at NODE unplugged, and announced.
  void Unplug(const std::string& node);
  // A serial line NAME (ttyS0) whose sysfs says PORT ("0x3F8"), IRQ and TYPE (0: no UART), added
  // and announced; and removed. False with WHY.
  bool AddTty(const std::string& name, const std::string& port, int irq, int type, std::string& why);
  void RemoveTty(const std::string& name);

 private:
  // The keeper's answer to COMMAND: "" for "ok", else what went wrong.
  std::string Ask(const std::string& command);
  std::string Answer();

  pid_t pid_ = -1;
  FILE* to_ = nullptr;
  FILE* from_ = nullptr;
  std::string dir_;
  int plugs_ = 0;
};

// The device service of the machine root ROOT run under a test bed of its own, and the devices
// plugged into it, each at a node of its own (/dev/input/event10, 11, …), as a device plugged in
// again may get. Ended with the object.
class ServiceOnBed {
 public:
  explicit ServiceOnBed(std::string root) : root_(std::move(root)) {}
  ~ServiceOnBed() { Stop(); }
  ServiceOnBed(const ServiceOnBed&) = delete;
  ServiceOnBed& operator=(const ServiceOnBed&) = delete;

  // qxwmecomd with --pointer none and ARGS, ENV besides the test bed's; true once it answers.
  bool Start(const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {});
  void Stop();
  // DEVICE plugged in playing EVENTS, with udev PROPERTIES: its node, "" with WHY.
  std::string Plug(const TestTouchscreen& device, const std::string& events, std::string& why,
                   const std::string& properties = kUdevTouchscreen);
  // What the service said on stderr and stdout.
  std::string Log() const;
  UmockdevBed& bed() { return bed_; }

 private:
  std::string root_;
  UmockdevBed bed_;
  pid_t pid_ = -1;
  int plugged_ = 0;
};

}  // namespace qx::test
