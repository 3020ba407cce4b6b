// Which input devices are touchscreens, asked of devices made in memory: a refused one is told
// what is wrong with it.
#include "host/touchscreen_kind.h"

#include <gtest/gtest.h>
#include <libevdev/libevdev.h>

#include <memory>

namespace qx {
namespace {

// A touchscreen's axes X over MIN_X..MAX_X, Y over 0..1023 (none when NO_Y), and its touch.
std::string AxesRefusal(int minX, int maxX, bool noY = false) {
  std::unique_ptr<libevdev, decltype(&libevdev_free)> dev(libevdev_new(), &libevdev_free);
  const input_absinfo x{0, minX, maxX, 0, 0, 0}, y{0, 0, 1023, 0, 0, 0};
  libevdev_enable_event_code(dev.get(), EV_ABS, ABS_X, &x);
  if (!noY) libevdev_enable_event_code(dev.get(), EV_ABS, ABS_Y, &y);
  libevdev_enable_event_code(dev.get(), EV_KEY, BTN_TOUCH, nullptr);
  return NotTouchscreen(dev.get());
}

TEST(TouchscreenKind, ATouchscreenWithAxesItCannotUseIsToldWhatIsWrong) {
  EXPECT_EQ(AxesRefusal(0, 4095), "");
  EXPECT_EQ(AxesRefusal(0, 0), "it has an absolute X axis of no extent (0..0)");
  EXPECT_EQ(AxesRefusal(4095, 0), "it has an absolute X axis whose maximum is below its minimum (4095..0)");
  EXPECT_EQ(AxesRefusal(0, 4095, true), "it has no absolute Y axis");
}

}  // namespace
}  // namespace qx
