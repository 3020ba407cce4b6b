#include "tests/support/finger.h"

#include <cstdint>

#include "core/driver_records.h"
#include "tests/support/device_request.h"

namespace qx::test {

namespace {

bool Finger(int x, int y, int jitter, bool down) {
  SimFinger finger{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), static_cast<std::uint16_t>(jitter),
                   static_cast<std::uint8_t>(down ? 1 : 0), 0};
  TouchSample sample{};
  return AskDevice(IOCTL_SIM_FINGER, finger, sample);
}

}  // namespace

bool PressFinger(int x, int y, int jitter) { return Finger(x, y, jitter, true); }

bool LiftFinger() { return Finger(0, 0, 0, false); }

bool SetReportRate(int reportsPerSecond) {
  std::int32_t rate = reportsPerSecond;
  return AskDevice(IOCTL_SIM_REPORT_RATE, rate, rate) && rate == reportsPerSecond;
}

bool ArmRightButton() {
  RbfRegistration armed{4242, 1, 0};
  return AskDevice(IOCTL_SET_RBF_REGISTRATION, armed, armed) && armed.Armed == 1;
}

std::optional<std::pair<int, int>> PointerNow() {
  SimStatus status{};
  if (!AskDevice(IOCTL_SIM_GET_STATUS, status, status)) return std::nullopt;
  return std::make_pair(static_cast<int>(status.PointerX), static_cast<int>(status.PointerY));
}

std::optional<std::pair<int, int>> PointerAfterTouch(int x, int y) {
  const auto raw = [&](std::uint8_t touching, std::uint16_t reports) {
    SimTouch touch{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), touching, 0, reports};
    TouchSample sample{};
    return AskDevice(IOCTL_SIM_TOUCH, touch, sample);
  };
  if (!raw(1, 2)) return std::nullopt;
  const auto at = PointerNow();
  if (!raw(0, 1)) return std::nullopt;
  return at;
}

}  // namespace qx::test
