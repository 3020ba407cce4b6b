// The Linux touchscreen: opening and checking the node, and reading it.
#include "device/evdev_touchscreen.h"

#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/printable_text.h"

namespace qx {

namespace {

// Events read in one wake at most, so that a device that never stops talking cannot hold the
// loop: the rest are read on the next wake, right after the requests waiting meanwhile.
constexpr int kEventsPerWake = 4096;

AxisRange RangeOf(const libevdev* dev, unsigned code) {
  const input_absinfo* info = libevdev_get_abs_info(dev, code);
  return info ? AxisRange{info->minimum, info->maximum} : AxisRange{0, 0};
}

bool HasAxis(const libevdev* dev, unsigned code) {
  const input_absinfo* info = libevdev_get_abs_info(dev, code);
  return libevdev_has_event_code(dev, EV_ABS, code) && info && info->maximum > info->minimum;
}

TouchAxes AxesOf(const libevdev* dev) {
  TouchAxes axes{};
  axes.X = RangeOf(dev, ABS_X);
  axes.Y = RangeOf(dev, ABS_Y);
  const bool slots = libevdev_has_event_code(dev, EV_ABS, ABS_MT_SLOT);
  axes.Slots = slots ? static_cast<std::uint16_t>(std::max(libevdev_get_num_slots(dev), 0)) : 0;
  axes.SlotX = HasAxis(dev, ABS_MT_POSITION_X) ? RangeOf(dev, ABS_MT_POSITION_X) : axes.X;
  axes.SlotY = HasAxis(dev, ABS_MT_POSITION_Y) ? RangeOf(dev, ABS_MT_POSITION_Y) : axes.Y;
  return axes;
}

// How firm a touch is: its pressure where the device says it (a contact's, on a multi-touch
// device), else its contact's size.
Firmness FirmnessOf(const libevdev* dev, bool slots) {
  const unsigned codes[] = {slots ? unsigned{ABS_MT_PRESSURE} : unsigned{ABS_PRESSURE}, ABS_PRESSURE,
                           slots ? unsigned{ABS_MT_TOUCH_MAJOR} : 0u};
  for (unsigned code : codes)
    if (code && HasAxis(dev, code)) return {static_cast<std::uint16_t>(code), RangeOf(dev, code)};
  return {};
}

}  // namespace

std::unique_ptr<EvdevTouchscreen> EvdevTouchscreen::Open(const std::string& node, bool vouched, Failure& failure,
                                                         std::string& why) {
  OpenedNode opened = OpenTouchscreenNode(node);
  if (!opened.fd) {
    failure = opened.never                                      ? Failure::kNotTouchscreen
              : opened.refused                                  ? Failure::kRefused
              : opened.error == EACCES || opened.error == EPERM ? Failure::kDenied
                                                                : Failure::kAbsent;
    why = opened.why;
    return nullptr;
  }
  libevdev* dev = nullptr;
  if (int rc = libevdev_new_from_fd(opened.fd.get(), &dev); rc < 0) {
    failure = rc == -ENODEV ? Failure::kAbsent : Failure::kNotTouchscreen;
    why = node + " is not an input event device (" + std::strerror(-rc) + ")";
    return nullptr;
  }
  const std::string looks = NotTouchscreen(dev);
  if (std::string no = vouched ? NotTouchInput(dev) : looks; !no.empty()) {
    why = node + " (" + libevdev_get_name(dev) + ") is not a touchscreen: " + no;
    libevdev_free(dev);
    failure = Failure::kNotTouchscreen;
    return nullptr;
  }
  // Without the grab the desktop acts on every touch as well: said, but the panel still works.
  if (int rc = libevdev_grab(dev, LIBEVDEV_GRAB); rc < 0)
    std::fprintf(stderr, "qxwmecomd: %s cannot be grabbed (%s): the desktop sees its touches too\n", node.c_str(),
                 std::strerror(-rc));
  failure = Failure::kNone;
  std::unique_ptr<EvdevTouchscreen> device(new EvdevTouchscreen(std::move(opened), dev, node));
  device->looks_ = looks;
  return device;
}

EvdevTouchscreen::EvdevTouchscreen(OpenedNode opened, libevdev* dev, std::string node)
    : fd_(std::move(opened.fd)),
      lease_(std::move(opened.lease)),
      dev_(dev),
      node_(std::move(node)),
      name_(libevdev_get_name(dev)),
      axes_(AxesOf(dev)),
      firmness_(FirmnessOf(dev, axes_.Slots > 0)),
      decoder_(axes_, firmness_) {
  TakeState();
}

EvdevTouchscreen::~EvdevTouchscreen() { libevdev_free(dev_); }

// The decoder starts from the device's present state: a finger already down is reported with the
// next frame.
void EvdevTouchscreen::TakeState() {
  const auto take = [this](unsigned type, unsigned code, int value) {
    decoder_.Seed(static_cast<std::uint16_t>(type), static_cast<std::uint16_t>(code), value);
  };
  take(EV_KEY, BTN_TOUCH, libevdev_get_event_value(dev_, EV_KEY, BTN_TOUCH));
  take(EV_ABS, ABS_X, libevdev_get_event_value(dev_, EV_ABS, ABS_X));
  take(EV_ABS, ABS_Y, libevdev_get_event_value(dev_, EV_ABS, ABS_Y));
  for (unsigned slot = 0; slot < axes_.Slots; ++slot) {
    take(EV_ABS, ABS_MT_SLOT, static_cast<int>(slot));
    for (unsigned code : {ABS_MT_TRACKING_ID, ABS_MT_POSITION_X, ABS_MT_POSITION_Y})
      take(EV_ABS, code, libevdev_get_slot_value(dev_, slot, code));
  }
  if (axes_.Slots) take(EV_ABS, ABS_MT_SLOT, libevdev_get_current_slot(dev_));
}

bool EvdevTouchscreen::Read(TouchPath& path, int& error) {
  unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
  int read = 0;
  for (; read < kEventsPerWake; ++read) {
    input_event ev{};
    const int rc = libevdev_next_event(dev_, flags, &ev);
    if (rc == -EAGAIN && flags == LIBEVDEV_READ_FLAG_SYNC) {
      flags = LIBEVDEV_READ_FLAG_NORMAL;  // the device is brought up to date: on as usual
      continue;
    }
    if (rc == -EAGAIN) break;
    if (rc < 0) {
      error = -rc;
      return false;
    }
    // SYN_DROPPED: libevdev hands out the events that bring its state up to date, ended by a
    // SYN_REPORT; they go to the decoder in place of the ones the kernel dropped.
    if (rc == LIBEVDEV_READ_STATUS_SYNC && flags == LIBEVDEV_READ_FLAG_NORMAL) {
      flags = LIBEVDEV_READ_FLAG_SYNC;
      continue;
    }
    decoder_.Take(ev.type, ev.code, ev.value, path);
  }
  if (read > 0) return true;
  // Nothing to read: a hang-up, when the poll says so.
  pollfd p{fd_.get(), POLLIN, 0};
  if (::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
    error = ENODEV;  // hung up: gone
    return false;
  }
  return true;
}

void EvdevTouchscreen::End(TouchPath& path) { decoder_.End(path); }

TouchscreenIdentity EvdevTouchscreen::Identity() const {
  TouchscreenIdentity id;
  id.name = name_;
  id.vendor = static_cast<std::uint16_t>(libevdev_get_id_vendor(dev_));
  id.product = static_cast<std::uint16_t>(libevdev_get_id_product(dev_));
  const char* phys = libevdev_get_phys(dev_);
  id.phys = phys ? phys : "";
  return id;
}

ControllerFacts EvdevTouchscreen::Facts() const {
  const TouchscreenIdentity id = Identity();
  ControllerFacts facts;
  facts.bus = static_cast<std::uint16_t>(libevdev_get_id_bustype(dev_));
  facts.vendor = id.vendor;
  facts.product = id.product;
  facts.version = static_cast<std::uint16_t>(libevdev_get_id_version(dev_));
  facts.name = id.name;
  facts.phys = id.phys;
  facts.tty = TtyOfPhys(id.phys);
  facts.firmness = firmness_;
  return facts;
}

PanelFacts EvdevTouchscreen::Panel() const {
  PanelFacts facts;
  facts.name = name_;
  facts.identity = Identity().Text();
  const int bus = libevdev_get_id_bustype(dev_);
  facts.builtIn = bus != BUS_USB && bus != BUS_BLUETOOTH && bus != BUS_VIRTUAL;
  // The axes' resolution is in units a millimetre; a device that gives none has no size.
  const auto mm = [this](unsigned code, const AxisRange& range) {
    const input_absinfo* info = libevdev_get_abs_info(dev_, code);
    return info && info->resolution > 0 ? double(range.Maximum - range.Minimum) / info->resolution : 0.0;
  };
  facts.widthMm = mm(ABS_X, axes_.X);
  facts.heightMm = mm(ABS_Y, axes_.Y);
  return facts;
}

std::string EvdevTouchscreen::Describe() const { return Printable(name_) + " (" + node_ + "), " + AxesText(axes_); }

}  // namespace qx
