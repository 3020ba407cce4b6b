// libinput-touches PREFIX NODE EVENTS WIDTH HEIGHT TOUCHES, run under umockdev-wrapper: the
// touchscreen of PREFIX.umockdev and PREFIX.ioctl (tests/support/umockdev_device.h) at NODE, opened
// through libinput's path backend as a compositor opens it (its calibration: the udev property
// LIBINPUT_CALIBRATION_MATRIX), then EVENTS (evemu) played to it. Prints where libinput puts each
// touch-down and motion on a WIDTH x HEIGHT screen ("x y") and "up" for each lift, until TOUCHES
// have lifted; exits 1 when nothing comes for 30 s.
//
// The events start once libinput holds the device: it drops what waits on a device it opens.
// Three answers stand in for what umockdev 0.17 does not give: udev's database saying the device
// is initialized, fstat of the node's descriptor giving the node's device number, and reads of
// whole events (a pseudo-terminal may hand over part of one; libevdev drops such a device).
#include <dlfcn.h>
#include <fcntl.h>
#include <libinput.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/stat.h>
#include <umockdev.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int nodeFd = -1;
const char* nodePath = nullptr;

int OpenRestricted(const char* path, int flags, void*) {
  const int fd = ::open(path, flags);
  if (fd >= 0) nodeFd = fd, nodePath = path;
  return fd < 0 ? -errno : fd;
}

void CloseRestricted(int fd, void*) { ::close(fd); }

const libinput_interface kInterface = {OpenRestricted, CloseRestricted};

int Fail(const std::string& why) {
  std::fprintf(stderr, "libinput-touches: %s\n", why.c_str());
  return 1;
}

// Prints EVENT if it is a touch's; 1 for a lift.
int Print(libinput_event* event, std::uint32_t width, std::uint32_t height) {
  const libinput_event_type type = libinput_event_get_type(event);
  if (type == LIBINPUT_EVENT_TOUCH_UP) return std::puts("up"), 1;
  if (type != LIBINPUT_EVENT_TOUCH_DOWN && type != LIBINPUT_EVENT_TOUCH_MOTION) return 0;
  libinput_event_touch* touch = libinput_event_get_touch_event(event);
  std::printf("%.6f %.6f\n", libinput_event_touch_get_x_transformed(touch, width),
              libinput_event_touch_get_y_transformed(touch, height));
  return 0;
}

template <typename Call>
Call Next(const char* name) {
  return reinterpret_cast<Call>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int udev_device_get_is_initialized(struct udev_device*) { return 1; }

extern "C" int fstat64(int fd, struct stat64* st) noexcept {
  static const auto next = Next<int (*)(int, struct stat64*)>("fstat64");
  return fd == nodeFd ? stat64(nodePath, st) : next(fd, st);
}

extern "C" ssize_t read(int fd, void* buffer, size_t size) {
  static const auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
  ssize_t got = next(fd, buffer, size);
  for (pollfd rest{fd, POLLIN, 0}; fd == nodeFd && got > 0 && got % ssize_t(sizeof(input_event)) != 0;) {
    if (::poll(&rest, 1, 1000) <= 0) break;
    got += std::max<ssize_t>(0, next(fd, static_cast<char*>(buffer) + got, size - size_t(got)));
  }
  return got;
}

int main(int argc, char** argv) {
  if (argc != 7) return Fail("usage: libinput-touches PREFIX NODE EVENTS WIDTH HEIGHT TOUCHES");
  const std::string prefix = argv[1];
  UMockdevTestbed* testbed = umockdev_testbed_new();
  GError* error = nullptr;
  if (!umockdev_testbed_add_from_file(testbed, (prefix + ".umockdev").c_str(), &error) ||
      !umockdev_testbed_load_ioctl(testbed, argv[2], (prefix + ".ioctl").c_str(), &error))
    return Fail(error->message);
  libinput* context = libinput_path_create_context(&kInterface, nullptr);
  if (!libinput_path_add_device(context, argv[2])) return Fail(std::string("libinput cannot open ") + argv[2]);
  if (!umockdev_testbed_load_evemu_events(testbed, argv[2], argv[3], &error)) return Fail(error->message);
  pollfd ready{libinput_get_fd(context), POLLIN, 0};
  for (int lifted = 0; lifted < std::atoi(argv[6]);) {
    if (::poll(&ready, 1, 30000) <= 0) return Fail("no touches for 30 s");
    libinput_dispatch(context);
    for (libinput_event* event; (event = libinput_get_event(context)); libinput_event_destroy(event))
      lifted += Print(event, std::uint32_t(std::atoi(argv[4])), std::uint32_t(std::atoi(argv[5])));
  }
  // Released so that a sanitizer build's leak check has nothing to say about the probe.
  libinput_unref(context);
  g_object_unref(testbed);
  return 0;
}
