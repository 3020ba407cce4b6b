// The double tap: people tap twice and the second tap lands a few pixels from the first, so the
// desktop sees two clicks. A touch that goes down within the desktop's double-click time of a
// first tap's click, and within its double-click rectangle around that click, clicks exactly where
// the first did. Its pointer stays there while the finger stays within the rectangle and follows
// the finger once it leaves, so a drag is never bent beyond it. A tap is a touch whose left button
// was let go within the rectangle of where it was pressed (a touch whose press and release are
// further apart is a drag). Positions are screen pixels.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "device/pointer_mapping.h"

namespace qx {

// The desktop's double-click time (ms) and rectangle (pixels), centred on the first click.
struct DoubleClickValues {
  int time = 0;
  int width = 0;
  int height = 0;
};
using DoubleClickSource = std::function<DoubleClickValues()>;

// The desktop's values, as the host's GetDoubleClickTime and GetSystemMetrics give them.
DoubleClickValues DesktopDoubleClick();

class DoubleTap {
 public:
  using Time = std::chrono::steady_clock::time_point;
  // The desktop's values are read at a touch-down, at most this often.
  static constexpr std::chrono::seconds kReadEvery{1};

  // Where the values come from; without a source there is no double tap.
  void SetSource(DoubleClickSource source) { source_ = std::move(source); }
  void Enable(bool on);

  // A touch goes down at P at NOW: where its pointer goes.
  ScreenPoint Down(ScreenPoint p, Time now);
  // Where the pointer goes for the finger at P during the touch.
  ScreenPoint Place(ScreenPoint p);
  // The left button pressed at P at NOW, and let go at P.
  void Pressed(ScreenPoint p, Time now);
  void Released(ScreenPoint p);
  // No tap to follow (a right click, a touch cancelled).
  void Forget();

 private:
  struct Click {
    ScreenPoint at;
    Time when;
  };
  bool Near(ScreenPoint a, ScreenPoint b) const;

  DoubleClickSource source_;
  bool on_ = false;
  DoubleClickValues values_;
  std::optional<Time> readAt_;
  std::optional<Click> press_;  // the left press of the touch under way
  std::optional<Click> tap_;    // the last tap's click
  std::optional<ScreenPoint> pinned_;
};

}  // namespace qx
