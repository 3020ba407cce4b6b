// Recordings the tests make of touchscreens of their own, in the evemu text format: a device's
// description (its N:, I:, P:, B: and A: lines) and a finger's events, each frame ended by a
// SYN_REPORT, written as evemu-record writes them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qx::test {

struct TestTouchscreen {
  std::string name;
  int minX = 0, maxX = 4095, minY = 0, maxY = 4095;
  // Multi-touch with this many contacts at once (ABS_MT_SLOT, ABS_MT_TRACKING_ID, ABS_MT_POSITION_X and _Y on
  // the same ranges), besides BTN_TOUCH, ABS_X and ABS_Y; 0 for a single-touch device.
  int contacts = 0;
  bool direct = true;  // INPUT_PROP_DIRECT
  // Built like a touchpad (BTN_TOOL_FINGER, INPUT_PROP_POINTER) or a tablet (BTN_TOOL_PEN,
  // BTN_STYLUS) instead: what the service must pass over; or like a touchscreen controller that
  // reports a pen (BTN_TOUCH and BTN_TOOL_PEN alone, which udev calls a tablet).
  enum class Kind { kTouchscreen, kTouchpad, kTablet, kPenController } kind = Kind::kTouchscreen;
  // With contacts: multi-touch without slots (protocol A), each frame listing every contact down,
  // the highest slot first, each ended by a SYN_MT_REPORT, with ABS_X and ABS_Y of the first listed.
  bool protocolA = false;
  // Its bus (BUS_USB 0x03, BUS_RS232 0x13…) and identity, and where it hangs (EVIOCGPHYS, which
  // the description does not hold; tests/support/umockdev_device gives it).
  int bus = 0x03, vendor = 0x1234, product = 0x5678, version = 0x0001;
  std::string phys = "";
  // How firm a touch is, 0..maxPressure (ABS_PRESSURE, and ABS_MT_PRESSURE with contacts); 0: none.
  int maxPressure = 0;
};

// The description evemu-record would write for DEVICE.
std::string Description(const TestTouchscreen& device);

// A finger's frames on DEVICE, in device units, timed in microseconds from the start.
class TouchRecording {
 public:
  explicit TouchRecording(const TestTouchscreen& device) : device_(device) {}

  // The finger put down at (X, Y), moved there, or lifted, at time T; each is one frame. On a
  // multi-touch device the finger is the contact in SLOT.
  void Down(std::int64_t t, int x, int y, int slot = 0);
  void Move(std::int64_t t, int x, int y, int slot = 0);
  void Up(std::int64_t t, int slot = 0);
  // A frame that repeats the last one (the finger held still).
  void Hold(std::int64_t t);
  // A single event outside any frame (a bad one, or one a frame is cut after).
  void Event(std::int64_t t, int type, int code, int value);

  // The E: lines alone, and the whole recording with the description first.
  std::string Events() const { return events_; }
  std::string Text() const { return Description(device_) + events_; }

 private:
  void Contact(std::int64_t t, int slot, int id, int x, int y);
  // Protocol A: the frame of the contacts down (none: SLOT lifted), after the one in SLOT changed.
  void Listed(std::int64_t t, int slot, std::optional<std::pair<int, int>> at);
  void Single(std::int64_t t, int x, int y);

  TestTouchscreen device_;
  std::string events_;
  int fingers_ = 0;  // contacts down
  int nextId_ = 100;
  std::map<int, std::pair<int, int>> listed_;  // protocol A: the contacts down, by slot
};

// The device value under raw VALUE 0..1023 of an axis MIN..MAX: what the service rescales back to
// VALUE.
int DeviceValue(int raw, int min, int max);

}  // namespace qx::test
