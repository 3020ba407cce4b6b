#include "tests/support/touch_recording.h"

#include <linux/input.h>

#include <cmath>
#include <cstdio>

namespace qx::test {

namespace {

std::string Line(const char* format, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

// The B: lines of TYPE's bits (8 bytes a line), CODES set.
std::string Bits(int type, int bytes, std::initializer_list<int> codes) {
  std::vector<unsigned char> mask(static_cast<std::size_t>(bytes));
  for (int code : codes) mask[static_cast<std::size_t>(code / 8)] |= static_cast<unsigned char>(1 << (code % 8));
  std::string text;
  for (int at = 0; at < bytes; at += 8) {
    text += Line("B: %02x", type);
    for (int i = at; i < at + 8; ++i) text += Line(" %02x", mask[static_cast<std::size_t>(i)]);
    text += "\n";
  }
  return text;
}

}  // namespace

std::string Description(const TestTouchscreen& d) {
  std::string text = "# EVEMU 1.3\n# A touchscreen of the tests' own\nN: " + d.name + "\n" +
                     Line("I: %04x %04x %04x %04x\n", d.bus, d.vendor, d.product, d.version);
  using Kind = TestTouchscreen::Kind;
  const int props = (d.direct ? 1 << INPUT_PROP_DIRECT : 0) | (d.kind == Kind::kTouchpad ? 1 << INPUT_PROP_POINTER : 0);
  text += Line("P: %02x 00 00 00 00 00 00 00\n", props);
  text += Bits(EV_SYN, 8, {EV_SYN, EV_KEY, EV_ABS});
  if (d.kind == Kind::kTouchpad) text += Bits(EV_KEY, 96, {BTN_TOUCH, BTN_TOOL_FINGER});
  else if (d.kind == Kind::kTablet) text += Bits(EV_KEY, 96, {BTN_TOUCH, BTN_TOOL_PEN, BTN_STYLUS});
  else if (d.kind == Kind::kPenController) text += Bits(EV_KEY, 96, {BTN_TOUCH, BTN_TOOL_PEN});
  else text += Bits(EV_KEY, 96, {BTN_TOUCH});
  // A pressure axis the code of no other: kept out of the bits when the device has none.
  const int pressure = d.maxPressure ? ABS_PRESSURE : ABS_X, mtPressure = d.maxPressure ? ABS_MT_PRESSURE : ABS_X;
  if (d.contacts && d.protocolA)
    text += Bits(EV_ABS, 8, {ABS_X, ABS_Y, pressure, ABS_MT_POSITION_X, ABS_MT_POSITION_Y, mtPressure});
  else if (d.contacts)
    text += Bits(
        EV_ABS, 8,
        {ABS_X, ABS_Y, pressure, ABS_MT_SLOT, ABS_MT_POSITION_X, ABS_MT_POSITION_Y, ABS_MT_TRACKING_ID, mtPressure});
  else text += Bits(EV_ABS, 8, {ABS_X, ABS_Y, pressure});
  text += Line("A: %02x %d %d 0 0 0\n", ABS_X, d.minX, d.maxX) + Line("A: %02x %d %d 0 0 0\n", ABS_Y, d.minY, d.maxY);
  if (d.maxPressure) text += Line("A: %02x 0 %d 0 0 0\n", ABS_PRESSURE, d.maxPressure);
  if (d.contacts && !d.protocolA) text += Line("A: %02x 0 %d 0 0 0\n", ABS_MT_SLOT, d.contacts - 1);
  if (d.contacts) {
    text += Line("A: %02x %d %d 0 0 0\n", ABS_MT_POSITION_X, d.minX, d.maxX);
    text += Line("A: %02x %d %d 0 0 0\n", ABS_MT_POSITION_Y, d.minY, d.maxY);
    if (!d.protocolA) text += Line("A: %02x 0 65535 0 0 0\n", ABS_MT_TRACKING_ID);
    if (d.maxPressure) text += Line("A: %02x 0 %d 0 0 0\n", ABS_MT_PRESSURE, d.maxPressure);
  }
  return text;
}

void TouchRecording::Event(std::int64_t t, int type, int code, int value) {
  events_ += Line("E: %lld.%06lld %04x %04x %d\n", static_cast<long long>(t / 1000000),
                  static_cast<long long>(t % 1000000), type, code, value);
}

void TouchRecording::Contact(std::int64_t t, int slot, int id, int x, int y) {
  Event(t, EV_ABS, ABS_MT_SLOT, slot);
  if (id != 0) Event(t, EV_ABS, ABS_MT_TRACKING_ID, id);
  if (id >= 0) {
    Event(t, EV_ABS, ABS_MT_POSITION_X, x);
    Event(t, EV_ABS, ABS_MT_POSITION_Y, y);
  }
}

void TouchRecording::Listed(std::int64_t t, int slot, std::optional<std::pair<int, int>> at) {
  const bool wasDown = !listed_.empty();
  if (at) listed_[slot] = *at;
  else listed_.erase(slot);
  for (auto c = listed_.rbegin(); c != listed_.rend(); ++c) {
    Event(t, EV_ABS, ABS_MT_POSITION_X, c->second.first);
    Event(t, EV_ABS, ABS_MT_POSITION_Y, c->second.second);
    Event(t, EV_SYN, SYN_MT_REPORT, 0);
  }
  if (listed_.empty()) Event(t, EV_SYN, SYN_MT_REPORT, 0);
  if (wasDown != !listed_.empty()) Event(t, EV_KEY, BTN_TOUCH, wasDown ? 0 : 1);
  if (!listed_.empty()) {
    Event(t, EV_ABS, ABS_X, listed_.rbegin()->second.first);
    Event(t, EV_ABS, ABS_Y, listed_.rbegin()->second.second);
  }
  Event(t, EV_SYN, SYN_REPORT, 0);
}

void TouchRecording::Down(std::int64_t t, int x, int y, int slot) {
  if (device_.protocolA) return Listed(t, slot, std::pair{x, y});
  if (device_.contacts) Contact(t, slot, nextId_++, x, y);
  if (fingers_++ == 0) Event(t, EV_KEY, BTN_TOUCH, 1);
  Single(t, x, y);
}

// ABS_X and ABS_Y of a single-touch device, and the frame's end (a multi-touch device's contacts
// carry its positions).
void TouchRecording::Single(std::int64_t t, int x, int y) {
  if (!device_.contacts) {
    Event(t, EV_ABS, ABS_X, x);
    Event(t, EV_ABS, ABS_Y, y);
  }
  Event(t, EV_SYN, SYN_REPORT, 0);
}

void TouchRecording::Move(std::int64_t t, int x, int y, int slot) {
  if (device_.protocolA) return Listed(t, slot, std::pair{x, y});
  if (device_.contacts) Contact(t, slot, 0, x, y);
  Single(t, x, y);
}

void TouchRecording::Up(std::int64_t t, int slot) {
  if (device_.protocolA) return Listed(t, slot, std::nullopt);
  if (device_.contacts) Contact(t, slot, -1, 0, 0);
  if (--fingers_ == 0) Event(t, EV_KEY, BTN_TOUCH, 0);
  Event(t, EV_SYN, SYN_REPORT, 0);
}

void TouchRecording::Hold(std::int64_t t) { Event(t, EV_SYN, SYN_REPORT, 0); }

int DeviceValue(int raw, int min, int max) {
  return static_cast<int>(std::lround(min + raw * (double(max) - min) / 1023.0));
}

}  // namespace qx::test
