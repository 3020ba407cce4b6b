// umockdev-touchscreen DESCRIPTION NODE PREFIX: the umockdev files of the touchscreen an evemu
// description (evemu-record's N:, I:, P:, B: and A: lines) describes, at NODE, for trying the
// service's live path by hand with a recording (see the README).
// umockdev-touchscreen --tap NODE PREFIX: the same for a touchscreen of its own ("QX Example
// Panel": single touch, 0..4095 on each axis, no direct-touch property, as some panels are), and
// PREFIX.events, a tap at its centre two seconds after the device is opened.
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/support/touch_recording.h"
#include "tests/support/umockdev_device.h"

namespace {

// The example panel's description at PREFIX.desc and its tap at PREFIX.events.
std::string WriteExample(const std::string& prefix) {
  const qx::test::TestTouchscreen panel{"QX Example Panel", 0, 4095, 0, 4095, 0, false};
  qx::test::TouchRecording tap(panel);
  tap.Hold(0);
  tap.Down(2000000, 2048, 2048);
  tap.Up(2050000);
  std::ofstream(prefix + ".desc") << qx::test::Description(panel);
  std::ofstream(prefix + ".events") << tap.Events();
  return prefix + ".desc";
}

}  // namespace

int main(int argc, char** argv) {
  const bool example = argc == 4 && std::string(argv[1]) == "--tap";
  if (argc != 4) {
    std::fprintf(stderr, "usage: umockdev-touchscreen DESCRIPTION|--tap /dev/input/eventN PREFIX\n");
    return 64;
  }
  const std::string description = example ? WriteExample(argv[3]) : argv[1];
  std::string why;
  if (!qx::test::WriteUmockdevDevice(description, argv[2], argv[3], why)) {
    std::fprintf(stderr, "umockdev-touchscreen: %s\n", why.c_str());
    return 1;
  }
  std::printf("umockdev-run -d '%s.umockdev' -i %s='%s.ioctl' -e %s=%s -- PROGRAM\n", argv[3], argv[2], argv[3],
              argv[2], example ? (std::string("'") + argv[3] + ".events'").c_str() : "EVENTS");
  return 0;
}
