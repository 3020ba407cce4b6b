#include "device/uinput_pointer.h"

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>

#include <cstring>

namespace qx {

std::unique_ptr<UinputPointer> UinputPointer::Create(const SettingsBlock& screen, const ScreenPlacement& placement,
                                                     std::string& why) {
  std::unique_ptr<UinputPointer> output(new UinputPointer(screen, placement));
  if (int rc = output->MakeDevice()) {
    why = rc == -EACCES || rc == -ENOENT || rc == -EPERM || rc == -EROFS
              ? "/dev/uinput not writable"
              : std::string("cannot make the device: ") + std::strerror(-rc);
    return nullptr;
  }
  return output;
}

UinputPointer::~UinputPointer() { libevdev_uinput_destroy(device_); }

int UinputPointer::MakeDevice() {
  libevdev_uinput_destroy(device_);
  device_ = nullptr;
  width_ = AxisWidth();
  height_ = AxisHeight();
  at_.reset();
  libevdev* description = libevdev_new();
  libevdev_set_name(description, kName);
  libevdev_set_id_bustype(description, BUS_VIRTUAL);
  input_absinfo x{0, 0, width_ > 1 ? width_ - 1 : 1, 0, 0, 0};
  input_absinfo y{0, 0, height_ > 1 ? height_ - 1 : 1, 0, 0, 0};
  libevdev_enable_event_code(description, EV_ABS, ABS_X, &x);
  libevdev_enable_event_code(description, EV_ABS, ABS_Y, &y);
  libevdev_enable_event_code(description, EV_KEY, BTN_LEFT, nullptr);
  libevdev_enable_event_code(description, EV_KEY, BTN_RIGHT, nullptr);
  const int rc = libevdev_uinput_create_from_device(description, LIBEVDEV_UINPUT_OPEN_MANAGED, &device_);
  libevdev_free(description);
  if (rc != 0) device_ = nullptr;
  return rc;
}

void UinputPointer::Write(unsigned type, unsigned code, int value) {
  libevdev_uinput_write_event(device_, type, code, value);
}

void UinputPointer::Perform(const PointerAction& action) {
  if (action.kind == PointerAction::Kind::kMove && (AxisWidth() != width_ || AxisHeight() != height_))
    MakeDevice();  // the desktop or the screen changed size: axes over the new one
  if (!device_) return;
  switch (action.kind) {
    case PointerAction::Kind::kMove: {
      // The monitor's share of the desktop: its offset in the desktop, its pixels scaled to its size.
      const ScreenRect& m = placement_.monitor;
      if (!placement_.known) MoveTo(action.x, action.y);
      else
        MoveTo(m.x - placement_.desktop.x + ScalePixel(action.x, screen_.ScreenWidth, m.width),
               m.y - placement_.desktop.y + ScalePixel(action.y, screen_.ScreenHeight, m.height));
      break;
    }
    case PointerAction::Kind::kPress:
    case PointerAction::Kind::kRelease:
      Write(EV_KEY, action.button == PointerButton::kLeft ? BTN_LEFT : BTN_RIGHT,
            action.kind == PointerAction::Kind::kPress ? 1 : 0);
      break;
    case PointerAction::Kind::kBell: return;
  }
  Write(EV_SYN, SYN_REPORT, 0);
}

void UinputPointer::MoveTo(int x, int y) {
  if (at_ == std::pair(x, y)) Write(EV_ABS, ABS_X, x > 0 ? x - 1 : x + 1);
  Write(EV_ABS, ABS_X, x);
  Write(EV_ABS, ABS_Y, y);
  at_ = {x, y};
}

std::string UinputPointer::Describe() const {
  if (!device_) return "none (uinput: the device could not be made again)";
  const char* node = libevdev_uinput_get_devnode(device_);
  return std::string("uinput (") + kName + (node ? std::string(", ") + node : "") + ")";
}

}  // namespace qx
