// Which input devices are touchscreens, asked of devices made in memory.
#include "host/touchscreen_kind.h"

#include <gtest/gtest.h>
#include <libevdev/libevdev.h>

namespace qx {
namespace {

// A touchscreen's X axis over MIN..MAX and Y over 0..1023 (none when NO_Y): what it is refused for.
std::string AxesRefusal(int min, int max, bool noY = false) {
  libevdev* dev = libevdev_new();
  const input_absinfo x{0, min, max, 0, 0, 0}, y{0, 0, 1023, 0, 0, 0};
  libevdev_enable_event_code(dev, EV_ABS, ABS_X, &x);
  if (!noY) libevdev_enable_event_code(dev, EV_ABS, ABS_Y, &y);
  libevdev_enable_event_code(dev, EV_KEY, BTN_TOUCH, nullptr);
  const std::string why = NotTouchscreen(dev);
  libevdev_free(dev);
  return why;
}

TEST(TouchscreenKind, ATouchscreenWithAxesItCannotUseIsToldWhatIsWrong) {
  EXPECT_EQ(AxesRefusal(0, 4095), "");
  EXPECT_EQ(AxesRefusal(0, 0), "it has an absolute X axis of no extent (0..0)");
  EXPECT_EQ(AxesRefusal(4095, 0), "it has an absolute X axis whose maximum is below its minimum (4095..0)");
  EXPECT_EQ(AxesRefusal(0, 4095, true), "it has no absolute Y axis");
}

}  // namespace
}  // namespace qx
