// umockdev-touchscreen DESCRIPTION NODE PREFIX: the umockdev files of the touchscreen an evemu
// description (evemu-record's N:, I:, P:, B: and A: lines) describes, at NODE, for trying the
// service's live path by hand with a recording (see the README).
#include <cstdio>
#include <string>

#include "tests/support/umockdev_device.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: umockdev-touchscreen DESCRIPTION /dev/input/eventN PREFIX\n");
    return 64;
  }
  std::string why;
  if (!qx::test::WriteUmockdevDevice(argv[1], argv[2], argv[3], why)) {
    std::fprintf(stderr, "umockdev-touchscreen: %s\n", why.c_str());
    return 1;
  }
  std::printf("umockdev-run -d '%s.umockdev' -i %s='%s.ioctl' -e %s=EVENTS -- PROGRAM\n", argv[3], argv[2], argv[3],
              argv[2]);
  return 0;
}
