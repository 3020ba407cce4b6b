#include "tests/support/device_bed.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <umockdev.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace qx::test {

namespace {

// An ioctl's pointer argument, LEN bytes of the caller's memory (written back on completion).
std::uint8_t* Pointed(UMockdevIoctlClient* client, std::size_t len) {
  UMockdevIoctlData* data = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, len, nullptr);
  return data ? data->data : nullptr;
}

unsigned long IntArgument(UMockdevIoctlClient* client) {
  unsigned long value = 0;
  std::memcpy(&value, umockdev_ioctl_client_get_arg(client)->data, sizeof value);
  return value;
}

void Record(UinputRecord& r, unsigned long request, UMockdevIoctlClient* client) {
  if (request == UI_GET_VERSION) {
    const unsigned version = 5;  // the kernel's UI_DEV_SETUP interface
    std::memcpy(Pointed(client, sizeof version), &version, sizeof version);
  } else if (request == UI_SET_KEYBIT || request == UI_SET_ABSBIT) {
    r.codes.insert({request == UI_SET_KEYBIT ? EV_KEY : EV_ABS, static_cast<unsigned>(IntArgument(client))});
  } else if (request == UI_ABS_SETUP) {
    const auto* setup = reinterpret_cast<const uinput_abs_setup*>(Pointed(client, sizeof(uinput_abs_setup)));
    r.axes[setup->code] = {setup->absinfo.minimum, setup->absinfo.maximum};
  } else if (request == UI_DEV_SETUP) {
    r.name = reinterpret_cast<const uinput_setup*>(Pointed(client, sizeof(uinput_setup)))->name;
  } else if (request == UI_DEV_CREATE) {
    r.created = true;
  } else if (request == UI_DEV_DESTROY) {
    r.destroyed = true;
  } else if (_IOC_NR(request) == _IOC_NR(UI_GET_SYSNAME(0)) && _IOC_TYPE(request) == UINPUT_IOCTL_BASE) {
    std::memcpy(Pointed(client, 8), "input42", 8);
  }
}

gboolean OnUinputIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
  auto& r = *static_cast<UinputRecord*>(user);
  std::lock_guard<std::mutex> lock(r.mutex);
  Record(r, umockdev_ioctl_client_get_request(client), client);
  umockdev_ioctl_client_complete(client, 0, 0);
  return TRUE;
}

gboolean OnUinputWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
  auto& r = *static_cast<UinputRecord*>(user);
  UMockdevIoctlData* data = umockdev_ioctl_client_get_arg(client);
  std::lock_guard<std::mutex> lock(r.mutex);
  for (int at = 0; at + static_cast<int>(sizeof(input_event)) <= data->data_len; at += sizeof(input_event)) {
    input_event e;
    std::memcpy(&e, data->data + at, sizeof e);
    r.events.push_back(e);
  }
  umockdev_ioctl_client_complete(client, data->data_len, 0);
  return TRUE;
}

// An event node: its version; a revocation hangs it up (the test bed's end closed in place).
gboolean OnInputIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
  auto& r = *static_cast<InputNodeRecord*>(user);
  std::lock_guard<std::mutex> lock(r.mutex);
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  if (request == EVIOCGVERSION) {
    const int version = EV_VERSION;
    std::memcpy(Pointed(client, sizeof version), &version, sizeof version);
  } else if (request == EVIOCREVOKE) {
    ++r.revocations;
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::dup3(nothing, r.master, O_CLOEXEC);  // the test bed closes it, as its own, at its end
    ::close(nothing);
  } else {
    umockdev_ioctl_client_complete(client, -1, ENOTTY);
    return TRUE;
  }
  umockdev_ioctl_client_complete(client, 0, 0);
  return TRUE;
}

std::string Words(const input_event& e) {
  if (e.type == EV_SYN) return "syn";
  return std::to_string(e.type) + " " + std::to_string(e.code) + " " + std::to_string(e.value);
}

}  // namespace

DeviceBed::DeviceBed() : testbed_(umockdev_testbed_new()) {
  umockdev_testbed_add_from_string(
      testbed_,
      "P: /devices/virtual/misc/uinput\nN: uinput\nE: SUBSYSTEM=misc\nE: DEVNAME=/dev/uinput\nA: dev=10:223\n",
      nullptr);
  UMockdevIoctlBase* handler = umockdev_ioctl_base_new();
  g_signal_connect(handler, "handle-ioctl", G_CALLBACK(OnUinputIoctl), &uinput_);
  g_signal_connect(handler, "handle-write", G_CALLBACK(OnUinputWrite), &uinput_);
  umockdev_testbed_attach_ioctl(testbed_, "/dev/uinput", handler, nullptr);
  handlers_.push_back(handler);
}

DeviceBed::~DeviceBed() {
  for (UMockdevIoctlBase* handler : handlers_) g_object_unref(handler);
  g_object_unref(testbed_);
}

void DeviceBed::AddInputNode(int n, const std::string& properties) {
  const std::string number = std::to_string(n);
  const std::string minor = std::to_string(64 + n);  // as the kernel numbers event devices
  std::string description = "P: /devices/virtual/input/input" + number + "/event" + number + "\nN: input/event" +
                            number + "\nE: SUBSYSTEM=input\nE: DEVNAME=/dev/input/event" + number +
                            "\nA: dev=13:" + minor + "\nE: MAJOR=13\nE: MINOR=" + minor + "\n";
  for (std::size_t at = 0; at < properties.size();) {
    const std::size_t end = std::min(properties.find('\n', at), properties.size());
    description += "E: " + properties.substr(at, end - at) + "\n";
    at = end + 1;
  }
  umockdev_testbed_add_from_string(testbed_, description.c_str(), nullptr);
  InputNodeRecord& record = nodes_[n];
  UMockdevIoctlBase* handler = umockdev_ioctl_base_new();
  g_signal_connect(handler, "handle-ioctl", G_CALLBACK(OnInputIoctl), &record);
  const std::string node = "/dev/input/event" + number;
  umockdev_testbed_attach_ioctl(testbed_, node.c_str(), handler, nullptr);
  handlers_.push_back(handler);
  record.master = umockdev_testbed_get_dev_fd(testbed_, node.c_str());
  // Kept from the programs started: a node hangs up only once no process holds this end.
  ::fcntl(record.master, F_SETFD, FD_CLOEXEC);
}

void DeviceBed::Feed(int n, const input_event& event) {
  InputNodeRecord& record = nodes_[n];
  std::lock_guard<std::mutex> lock(record.mutex);
  ssize_t written = ::write(record.master, &event, sizeof event);
  (void)written;
}

int DeviceBed::Revocations(int n) {
  std::lock_guard<std::mutex> lock(nodes_[n].mutex);
  return nodes_[n].revocations;
}

std::vector<std::string> DeviceBed::TakeEvents() {
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::lock_guard<std::mutex> lock(uinput_.mutex);
  std::vector<std::string> words;
  for (const input_event& e : uinput_.events) words.push_back(Words(e));
  uinput_.events.clear();
  return words;
}

void DeviceBed::Preloaded(const std::function<void()>& start) {
  const char* asan = std::getenv("ASAN_OPTIONS");
  const std::string asanBefore = asan ? asan : "";
  setenv("LD_PRELOAD", "libumockdev-preload.so.0", 1);
  setenv("ASAN_OPTIONS", (asanBefore + ":verify_asan_link_order=0").c_str(), 1);
  start();
  unsetenv("LD_PRELOAD");
  if (asan) setenv("ASAN_OPTIONS", asanBefore.c_str(), 1);
  else unsetenv("ASAN_OPTIONS");
}

}  // namespace qx::test
