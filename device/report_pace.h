// The controller's stream of reports while a touch is down. The serial controller reports at its
// rate for as long as a finger is on the panel; a Linux touchscreen sends a frame only when
// something changes, and many send nothing while a finger rests, and a recording plays what such
// a device sent. While a touch of such an input is down, the last report is made again each period
// of the controller's rate until a report of the input comes or the touch lifts, so that whatever
// waits for fresh reports (the calibration's steady touch) sees the controller it knows. The
// simulated finger and a burst pace themselves: after their reports nothing is repeated.
#pragma once

#include <chrono>
#include <optional>

namespace qx {

class TouchPath;

class ReportPace {
 public:
  using Time = std::chrono::steady_clock::time_point;

  // The path's latest report was made at NOW; SELF_PACED: by an input that keeps its own pace.
  void Reported(Time now, bool touching, bool selfPaced) {
    repeating_ = touching && !selfPaced;
    last_ = now;
  }
  // When the next repeat is due at a report every PERIOD; nothing while none is.
  std::optional<Time> NextDue(std::chrono::nanoseconds period) const;
  // Makes the repeat due at NOW, if one is. A loop held up for longer than a period does not
  // catch up with a burst: the next repeat comes one period after this one.
  void Wake(Time now, std::chrono::nanoseconds period, TouchPath& path);

 private:
  bool repeating_ = false;
  Time last_{};
};

}  // namespace qx
