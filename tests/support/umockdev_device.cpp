#include "tests/support/umockdev_device.h"

#include <evemu.h>
#include <linux/input.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

namespace qx::test {

namespace {

struct EvemuDeleter {
  void operator()(evemu_device* d) const { evemu_delete(d); }
};

std::string Hex(const void* data, std::size_t size) {
  std::string out;
  char byte[3];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, "%02X", static_cast<const unsigned char*>(data)[i]);
    out += byte;
  }
  return out;
}

// EVIOCGBIT of TYPE over BYTES bytes (libevdev's buffer for it): a bit per code the device has.
std::string BitsLine(const evemu_device* dev, int type, std::size_t bytes) {
  std::vector<unsigned char> mask(bytes);
  for (std::size_t code = 0; code < bytes * 8; ++code) {
    const bool has = type == 0 ? evemu_has_bit(dev, int(code)) : evemu_has_event(dev, type, int(code));
    if (has) mask[code / 8] |= static_cast<unsigned char>(1 << (code % 8));
  }
  return "EVIOCGBIT(" + std::to_string(type) + ") " + std::to_string(bytes) + " " + Hex(mask.data(), bytes) + "\n";
}

std::string Ioctls(const evemu_device* dev, const std::string& node, const std::string& phys) {
  std::string text = "@DEV " + node + "\n" + BitsLine(dev, 0, 8);
  char name[255] = {};
  std::snprintf(name, sizeof name, "%s", evemu_get_name(dev));
  text += "EVIOCGNAME(0) " + std::to_string(std::strlen(name) + 1) + " " + Hex(name, sizeof name) + "\n";
  if (!phys.empty()) {
    char where[255] = {};
    std::snprintf(where, sizeof where, "%s", phys.c_str());
    text += "EVIOCGPHYS(0) " + std::to_string(phys.size() + 1) + " " + Hex(where, sizeof where) + "\n";
  }
  const std::uint16_t id[4] = {
      static_cast<std::uint16_t>(evemu_get_id_bustype(dev)), static_cast<std::uint16_t>(evemu_get_id_vendor(dev)),
      static_cast<std::uint16_t>(evemu_get_id_product(dev)), static_cast<std::uint16_t>(evemu_get_id_version(dev))};
  text += "EVIOCGID 0 " + Hex(id, sizeof id) + "\nEVIOCGVERSION 0 01000100\n";
  std::uint64_t props = 0;
  for (int p = 0; p < 64; ++p)
    if (evemu_has_prop(dev, p)) props |= 1ull << p;
  text += "EVIOCGPROP(0) 8 " + Hex(&props, 8) + "\n";
  // The sizes are those of libevdev's own buffers for each type's bits.
  const std::pair<int, std::size_t> types[] = {{EV_KEY, 96}, {EV_REL, 8}, {EV_ABS, 8}, {EV_MSC, 8},
                                               {EV_SW, 8},   {EV_LED, 8}, {EV_SND, 8}, {EV_FF, 16}};
  for (auto [type, bytes] : types) text += BitsLine(dev, type, bytes);
  text += "EVIOCGKEY(0) 96 " + std::string(192, '0') + "\nEVIOCGLED(0) 8 " + std::string(16, '0') + "\nEVIOCGSW(0) 8 " +
          std::string(16, '0') + "\n";
  for (int code = 0; code < ABS_CNT; ++code) {
    if (!evemu_has_event(dev, EV_ABS, code)) continue;
    const std::int32_t info[6] = {0,
                                  evemu_get_abs_minimum(dev, code),
                                  evemu_get_abs_maximum(dev, code),
                                  evemu_get_abs_fuzz(dev, code),
                                  evemu_get_abs_flat(dev, code),
                                  evemu_get_abs_resolution(dev, code)};
    text +=
        "EVIOCGABS" + (code ? "(" + std::to_string(code) + ")" : std::string()) + " 0 " + Hex(info, sizeof info) + "\n";
  }
  return text;
}

// The slots' values of every multi-touch axis, as libevdev asks for them: no contact anywhere.
std::string Slots(const evemu_device* dev) {
  if (!evemu_has_event(dev, EV_ABS, ABS_MT_SLOT)) return "";
  const int slots = evemu_get_abs_maximum(dev, ABS_MT_SLOT) + 1;
  std::string text;
  for (int code = ABS_MT_SLOT + 1; code <= ABS_MT_TOOL_Y; ++code) {
    if (!evemu_has_event(dev, EV_ABS, code)) continue;
    std::vector<std::int32_t> values(static_cast<std::size_t>(slots) + 1, code == ABS_MT_TRACKING_ID ? -1 : 0);
    values[0] = code;
    text += "EVIOCGMTSLOTS(0) 0 " + Hex(values.data(), values.size() * 4) + "\n";
  }
  return text;
}

std::string Sysfs(const evemu_device* dev, const std::string& node, const std::string& properties) {
  const std::string event = node.substr(node.rfind('/') + 1);
  const int number = std::atoi(event.c_str() + 5);
  const std::string input = "input" + std::to_string(number);
  const std::string minor = std::to_string(64 + number);
  std::string udev;
  for (std::size_t at = 0; at < properties.size();) {
    const std::size_t end = std::min(properties.find('\n', at), properties.size());
    udev += "E: " + properties.substr(at, end - at) + "\n";
    at = end + 1;
  }
  return "P: /devices/virtual/input/" + input + "/" + event + "\nN: input/" + event + "\nE: DEVNAME=" + node +
         "\nE: MAJOR=13\nE: MINOR=" + minor + "\nE: SUBSYSTEM=input\n" + udev + "A: dev=13:" + minor +
         "\nL: device=../../" + input + "\n\nP: /devices/virtual/input/" + input + "\nE: SUBSYSTEM=input\nE: NAME=\"" +
         evemu_get_name(dev) + "\"\nA: name=" + evemu_get_name(dev) + "\n\n";
}

}  // namespace

bool WriteUmockdevDevice(const std::string& description, const std::string& node, const std::string& prefix,
                         std::string& why, const std::string& properties, const std::string& phys) {
  std::unique_ptr<evemu_device, EvemuDeleter> dev(evemu_new(nullptr));
  FILE* in = std::fopen(description.c_str(), "r");
  const bool read = in && evemu_read(dev.get(), in) > 0;
  if (in) std::fclose(in);
  if (!read) {
    why = description + ": not an evemu description";
    return false;
  }
  std::ofstream(prefix + ".umockdev") << Sysfs(dev.get(), node, properties);
  std::ofstream(prefix + ".ioctl") << Ioctls(dev.get(), node, phys) << Slots(dev.get());
  return true;
}

std::vector<std::string> UmockdevRun(const std::string& prefix, const std::string& node, const std::string& events,
                                     const std::vector<std::string>& program) {
  std::vector<std::string> argv = {"/usr/bin/umockdev-run",        "-d", prefix + ".umockdev", "-i",
                                   node + "=" + prefix + ".ioctl", "-e", node + "=" + events,  "--"};
  argv.insert(argv.end(), program.begin(), program.end());
  return argv;
}

}  // namespace qx::test
