// The touch decoder, the part a live touchscreen and a recording share from the decoded event on:
// the reports a sequence of frames makes, for single-touch and multi-touch devices.
#include "device/touch_decoder.h"

#include <gtest/gtest.h>
#include <linux/input.h>

#include <string>
#include <vector>

#include "device/journal.h"
#include "device/touch_path.h"

namespace qx {
namespace {

struct Ev {
  int type, code, value;
};
// A frame: its events, a SYN_REPORT after them.
using Frame = std::vector<Ev>;

Ev X(int v) { return {EV_ABS, ABS_X, v}; }
Ev Y(int v) { return {EV_ABS, ABS_Y, v}; }
Ev Touch(int v) { return {EV_KEY, BTN_TOUCH, v}; }
Ev Slot(int s) { return {EV_ABS, ABS_MT_SLOT, s}; }
Ev Id(int id) { return {EV_ABS, ABS_MT_TRACKING_ID, id}; }
Ev SlotX(int v) { return {EV_ABS, ABS_MT_POSITION_X, v}; }
Ev SlotY(int v) { return {EV_ABS, ABS_MT_POSITION_Y, v}; }
Ev Pressure(int v) { return {EV_ABS, ABS_PRESSURE, v}; }
Ev SlotPressure(int v) { return {EV_ABS, ABS_MT_PRESSURE, v}; }
const Ev kDropped{EV_SYN, SYN_DROPPED, 0};

constexpr TouchAxes kSingle{{0, 2046}, {1000, 3046}, {0, 2046}, {1000, 3046}, 0, 0};
constexpr TouchAxes kMulti{{0, 2046}, {1000, 3046}, {0, 1023}, {0, 1023}, 4, 0};

struct Case {
  const char* what;
  TouchAxes axes;
  std::vector<Frame> frames;
  // Each report: "x,y,touch".
  std::vector<std::string> reports;
  // The axis that says how firm a touch is; the sensitivity level is 63 (stored 64).
  Firmness firmness{};
};

constexpr Firmness kPressure{ABS_PRESSURE, {0, 255}};
constexpr Firmness kSlotPressure{ABS_MT_PRESSURE, {0, 255}};

const Case kCases[] = {
    {"a single touch: down, held, moved, lifted; the frames after the lift make nothing",
     kSingle,
     {{Touch(1), X(0), Y(1000)}, {}, {X(2046), Y(3046)}, {Touch(0)}, {}, {X(5)}},
     {"0,0,1", "0,0,1", "1023,1023,1", "1023,1023,0"}},
    {"positions rescaled to 0..1023 and kept inside it",
     kSingle,
     {{Touch(1), X(1023), Y(2023)}, {X(-50), Y(9000)}, {Touch(0)}},
     {"512,512,1", "0,1023,1", "0,1023,0"}},
    {"one report per frame, however many events it has and however fast they come",
     kSingle,
     {{Touch(1), X(2), Y(1002), X(4), Y(1004)}, {X(8)}, {X(8)}, {Touch(0), X(10)}},
     {"2,2,1", "4,2,1", "4,2,1", "4,2,0"}},
    {"a resting finger's tremor of one raw unit keeps the position; a move of two is reported",
     kSingle,
     {{Touch(1), X(200), Y(1200)}, {X(202)}, {Y(1198)}, {X(204)}},
     {"100,100,1", "100,100,1", "100,100,1", "102,99,1"}},
    {"a frame the kernel dropped (SYN_DROPPED) is left out whole",
     kSingle,
     {{Touch(1), X(100), Y(1100)}, {kDropped, X(900)}, {Y(1300)}, {Touch(0)}},
     {"50,50,1", "50,150,1", "50,150,0"}},
    {"multi-touch: the contact's own axes, down to up",
     kMulti,
     {{Slot(0), Id(7), SlotX(1023), SlotY(0), Touch(1)}, {SlotX(0)}, {Id(-1), Touch(0)}},
     {"1023,0,1", "0,0,1", "0,0,0"}},
    {"the lowest slot holding a contact when the touch begins is followed, not one added later",
     kMulti,
     {{Slot(2), Id(1), SlotX(200), SlotY(200)}, {Slot(0), Id(2), SlotX(10), SlotY(10)}, {Slot(2), SlotX(300)}},
     {"200,200,1", "200,200,1", "300,200,1"}},
    {"the followed contact lifts: the touch ends though another finger stays, and begins again only "
     "once every finger is off",
     kMulti,
     {{Slot(1), Id(1), SlotX(100), SlotY(100), Slot(3), Id(2), SlotX(900), SlotY(900)},
      {Slot(1), Id(-1)},
      {Slot(3), SlotX(800)},
      {Id(-1)},
      {Slot(3), Id(3), SlotX(500), SlotY(600)}},
     {"100,100,1", "100,100,0", "500,600,1"}},
    {"a new contact in the followed slot within one frame ends the touch",
     kMulti,
     {{Slot(0), Id(1), SlotX(10), SlotY(10)}, {Id(2), SlotX(20)}, {Id(-1)}, {Id(3), SlotX(30), SlotY(30)}},
     {"10,10,1", "10,10,0", "30,30,1"}},
    {"a slot beyond the device's is not followed",
     kMulti,
     {{Slot(9), Id(1), SlotX(10), SlotY(10)}, {Slot(1), Id(2), SlotX(40), SlotY(50)}},
     {"40,50,1"}},
    {"a touch counts from the level on (63 of 127 over 0..255: 126), and one getting lighter ends",
     kSingle,
     {{Touch(1), Pressure(125), X(0), Y(1000)}, {Pressure(126)}, {Pressure(50)}, {Touch(0)}},
     {"0,0,1", "0,0,0"},
     kPressure},
    {"a multi-touch device: the followed contact's own pressure",
     kMulti,
     {{Slot(0), Id(1), SlotX(10), SlotY(10), SlotPressure(200)}, {SlotPressure(20)}},
     {"10,10,1", "10,10,0"},
     kSlotPressure},
    {"an axis the device never says anything on holds no touch back",
     kSingle,
     {{Touch(1), X(0), Y(1000)}, {Touch(0)}},
     {"0,0,1", "0,0,0"},
     kPressure},
};

class TouchDecoding : public ::testing::TestWithParam<Case> {};

TEST_P(TouchDecoding, FramesMakeTheReports) {
  const Case& c = GetParam();
  SettingsBlock block{};
  block.Sensitivity = 64;
  Journal journal;
  TouchPath path(block, journal);
  TouchDecoder decoder(c.axes, c.firmness);
  for (const Frame& frame : c.frames) {
    for (const Ev& e : frame)
      decoder.Take(static_cast<std::uint16_t>(e.type), static_cast<std::uint16_t>(e.code), e.value, path);
    decoder.Take(EV_SYN, SYN_REPORT, 0, path);
  }
  SimReports reports{};
  journal.ReportsAfter(0, reports);
  std::vector<std::string> made;
  for (std::uint32_t i = 0; i < reports.Count; ++i) {
    const ReportEntry& r = reports.Reports[i];
    made.push_back(std::to_string(r.X) + "," + std::to_string(r.Y) + "," + std::to_string(r.Touching));
  }
  EXPECT_EQ(made, c.reports) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Frames, TouchDecoding, ::testing::ValuesIn(kCases));

TEST(TouchDecoder, ADeviceGoneOrARecordingOverLiftsATouchStillDown) {
  SettingsBlock block{};
  Journal journal;
  TouchPath path(block, journal);
  TouchDecoder decoder(kSingle);
  // Seeded as a device opened with a finger on it: the next frame reports it, the end lifts it.
  decoder.Seed(EV_KEY, BTN_TOUCH, 1);
  decoder.Seed(EV_ABS, ABS_X, 2046);
  decoder.Take(EV_SYN, SYN_REPORT, 0, path);
  decoder.End(path);
  decoder.End(path);
  EXPECT_EQ(path.sample().Counter, 2);
  EXPECT_FALSE(path.touching());
  EXPECT_EQ(path.sample().X, 1023);
}

}  // namespace
}  // namespace qx
