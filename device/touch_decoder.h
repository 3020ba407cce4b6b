// A touchscreen's input events turned into the controller's reports: what a live device and a
// recording have in common from the decoded event on. Positions are rescaled from the device's
// axes to the controller's raw 0..1023. One report per SYN_REPORT while the panel is touched, and
// one for the frame in which the touch ends; frames while nothing touches make none.
//
// Single-touch devices (no slots) report BTN_TOUCH with ABS_X and ABS_Y. A multi-touch device with
// slots is followed by its first contact: the lowest slot holding a tracking id when a touch
// begins. When that contact lifts the touch ends, even if other fingers stay, and the next touch
// begins only once every finger is off, so that a second finger never becomes a click of its own.
// A multi-touch device without slots (protocol A: each frame lists its contacts, each ended by a
// SYN_MT_REPORT, without tracking ids) is read so too once it lists a contact: the first contact
// listed when a touch begins is followed from frame to frame to the nearest contact of the next
// frame (contacts paired nearest first), and it has lifted when it is left without a partner.
//
// A device that says how firm a touch is (its pressure, else its contact's size) is held to the
// sensitivity level in force: a touch counts from that level on (Firmness), once the device has
// said a firmness at all (an axis that stays at its minimum says nothing).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/driver_records.h"

namespace qx {

class TouchPath;

// "X 0..4095, Y 0..4095" (", 5 contacts" for a multi-touch device with slots).
std::string AxesText(const TouchAxes& axes);

// The axis that says how firm a touch is (ABS_PRESSURE, ABS_MT_PRESSURE or ABS_MT_TOUCH_MAJOR) and
// its range; code 0 for a device without one.
struct Firmness {
  std::uint16_t code = 0;
  AxisRange range{0, 0};
};

// The firmness a touch needs on RANGE to count at the sensitivity level LEVEL (0..127, the block's
// 127 - Sensitivity): the level's share of the range, so that level 0 takes every touch and 127
// only the firmest. A level outside 0..127 is held to it.
std::int32_t FirmnessNeeded(int level, const AxisRange& range);

class TouchDecoder {
 public:
  explicit TouchDecoder(const TouchAxes& axes, Firmness firmness = {});

  // One event, in the order the device gave them; the report a SYN_REPORT ends goes to PATH. A
  // SYN_DROPPED (in a recording: a live device is brought up to date by libevdev) drops the
  // events up to the next SYN_REPORT, as the kernel does.
  void Take(std::uint16_t type, std::uint16_t code, std::int32_t value, TouchPath& path);
  // A value the device holds already when it is opened (BTN_TOUCH, an axis, a slot's): taken as
  // its event would be, with no report.
  void Seed(std::uint16_t type, std::uint16_t code, std::int32_t value);
  // The device is gone, or the recording over: a touch still down lifts where it was.
  void End(TouchPath& path);

  // A device value on AXIS as the controller's raw 0..1023.
  static std::int16_t Rescale(std::int32_t value, const AxisRange& axis);
  // A move of a touch under way by at most this much on each axis, in the controller's raw units
  // (about a thousandth of the panel), is a resting finger's tremor: the position stays where it was.
  static constexpr int kRestingTremor = 1;

 private:
  struct Slot {
    std::int32_t id = -1;  // tracking id, -1 when no contact is there
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t firmness = 0;
  };
  void Hold(std::uint16_t type, std::uint16_t code, std::int32_t value);
  void HoldAbs(std::uint16_t code, std::int32_t value);
  void EndFrame(TouchPath& path);
  // Protocol A: the contact whose positions came since the last SYN_MT_REPORT, ended.
  void EndContact();
  bool FollowListed();
  // Multi-touch: the followed contact's place, or nothing when the touch has ended.
  bool FollowContact();
  // Where the touch followed is, as the controller's raw position.
  std::int16_t FollowedX() const;
  std::int16_t FollowedY() const;
  void Report(TouchPath& path, bool touching);
  // Whether the touch held now is firm enough for the sensitivity in force on PATH.
  bool FirmEnough(const TouchPath& path) const;

  TouchAxes axes_;
  Firmness firmness_;
  std::int32_t singleFirmness_ = 0;  // single touch: the last ABS_PRESSURE
  bool firmnessSaid_ = false;        // the device has said a firmness above its minimum
  bool multitouch_;
  std::vector<Slot> slots_;
  std::size_t slot_ = 0;
  // Single touch: BTN_TOUCH and the last ABS_X, ABS_Y.
  bool button_ = false;
  std::int32_t x_ = 0;
  std::int32_t y_ = 0;
  // Multi-touch: the slot and tracking id of the contact followed (-1: none), and whether a
  // touch that ended waits for every finger to lift.
  int followed_ = -1;
  std::int32_t followedId_ = -1;
  bool waitAllUp_ = false;
  bool touching_ = false;  // as last reported
  std::int16_t lastX_ = 0;
  std::int16_t lastY_ = 0;
  bool dropping_ = false;
  // Protocol A: whether the device lists its contacts, the contact being read, the contacts of the
  // frame being read (and whether it listed any), and those of the last frame.
  struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
  };
  bool listed_ = false;
  Point contact_;
  bool contactHas_ = false;
  bool frameListed_ = false;
  std::vector<Point> frame_;
  std::vector<Point> contacts_;
};

}  // namespace qx
