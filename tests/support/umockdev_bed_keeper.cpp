// umockdev-bed: holds a umockdev test bed for a test, which plugs devices in and out of it while
// programs run under it. Run with libumockdev-preload.so loaded, so that its own udev calls (the
// announcements it sends) see the test bed. Prints "dir UMOCKDEV_DIR", then takes one command a
// line on stdin and answers each with "ok" or "error WHY":
//   plug NODE PREFIX [EVENTS]   PREFIX.umockdev and PREFIX.ioctl (tests/support/umockdev_device),
//                               EVENTS an evemu events file played once a program opens NODE
//   unplug NODE
//   tty NAME PORT IRQ TYPE      a serial line /dev/NAME whose sysfs says port, irq and type, announced
//   untty NAME
// It ends at the end of its input.
#include <umockdev.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

// The sysfs path tests/support/umockdev_device gives the event device at NODE.
std::string SysPath(const std::string& node) {
  const std::string event = node.substr(node.rfind('/') + 1);
  return "/sys/devices/virtual/input/input" + event.substr(5) + "/" + event;
}

std::string Failed(gboolean ok, GError* error) {
  if (ok) return "";
  std::string why = error ? error->message : "umockdev failed";
  if (error) g_error_free(error);
  return why.empty() ? "umockdev failed" : why;
}

std::string Plug(UMockdevTestbed* bed, const std::string& node, const std::string& prefix, const std::string& events) {
  GError* error = nullptr;
  std::string why = Failed(umockdev_testbed_add_from_file(bed, (prefix + ".umockdev").c_str(), &error), error);
  if (why.empty())
    why = Failed(umockdev_testbed_load_ioctl(bed, node.c_str(), (prefix + ".ioctl").c_str(), &error), error);
  if (why.empty() && !events.empty())
    why = Failed(umockdev_testbed_load_evemu_events(bed, node.c_str(), events.c_str(), &error), error);
  if (why.empty()) umockdev_testbed_uevent(bed, SysPath(node).c_str(), "add");
  return why;
}

void Unplug(UMockdevTestbed* bed, const std::string& node) {
  const std::string sys = SysPath(node);
  umockdev_testbed_uevent(bed, sys.c_str(), "remove");
  umockdev_testbed_remove_device(bed, sys.c_str());
  umockdev_testbed_remove_device(bed, sys.substr(0, sys.rfind('/')).c_str());
}

// A serial line as the kernel's 8250 driver lists it in sysfs, announced as udev would.
std::string AddTty(UMockdevTestbed* bed, const std::string& name, const std::string& port, const std::string& irq,
                   const std::string& type) {
  const std::string devname = "/dev/" + name;
  gchar* path = umockdev_testbed_add_device(bed, "tty", name.c_str(), nullptr, "port", port.c_str(), "irq", irq.c_str(),
                                            "type", type.c_str(), nullptr, "DEVNAME", devname.c_str(), nullptr);
  if (!path) return "umockdev could not add " + name;
  umockdev_testbed_uevent(bed, path, "add");
  g_free(path);
  return "";
}

void RemoveTty(UMockdevTestbed* bed, const std::string& name) {
  const std::string sys = "/sys/devices/" + name;
  umockdev_testbed_uevent(bed, sys.c_str(), "remove");
  umockdev_testbed_remove_device(bed, sys.c_str());
}

}  // namespace

int main() {
  UMockdevTestbed* bed = umockdev_testbed_new();
  gchar* root = umockdev_testbed_get_root_dir(bed);
  std::printf("dir %s\n", root);
  std::fflush(stdout);
  g_free(root);
  // The emulated devices' requests are answered from the default main context.
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  std::thread serving([loop] { g_main_loop_run(loop); });
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string command, node, prefix, events, type;
    words >> command >> node >> prefix >> events >> type;
    std::string why = "unknown command";
    if (command == "plug") why = Plug(bed, node, prefix, events);
    else if (command == "tty") why = AddTty(bed, node, prefix, events, type);
    else if (command == "untty") why.clear(), RemoveTty(bed, node);
    else if (command == "unplug") why.clear(), Unplug(bed, node);
    std::printf("%s\n", why.empty() ? "ok" : ("error " + why).c_str());
    std::fflush(stdout);
  }
  g_main_loop_quit(loop);
  serving.join();
  g_main_loop_unref(loop);
  g_object_unref(bed);
  return 0;
}
