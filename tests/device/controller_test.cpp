// The simulated controller's answers, in-process.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "core/settings_fields.h"
#include "device/device_parts.h"
#include "device/pointer_mapping.h"
#include "tests/device/recorded_pointer.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx {

namespace {

class ControllerTest : public ::testing::Test {
 protected:
  // As the service does, a request handed in again until it is done.
  template <typename Record>
  DeviceReply Send(std::uint32_t code, const Record& r) {
    DeviceReply reply;
    do reply = controller.Handle(code, reinterpret_cast<const std::uint8_t*>(&r), sizeof r);
    while (reply.unfinished);
    return reply;
  }
  SettingsBlock Block() {
    SettingsBlock b{};
    DeviceReply r = Send(IOCTL_GET_SETTINGS, b);
    EXPECT_TRUE(r.success);
    std::memcpy(&b, r.data.data(), sizeof b);
    return b;
  }
  template <typename Record>
  Record As(const DeviceReply& r) {
    Record rec{};
    EXPECT_EQ(r.data.size(), sizeof rec);
    std::memcpy(&rec, r.data.data(), sizeof rec);
    return rec;
  }

  test::TempRoot root;
  DeviceParts parts{StateFile(root.path() + "/settings.bin")};
  Controller& controller = parts.controller;
};

// Each Set request takes exactly the bytes of its fields from a block whose every byte differs.
TEST_F(ControllerTest, EachSetRequestTakesOnlyItsFields) {
  struct Case {
    std::uint32_t code;
    std::vector<std::pair<std::size_t, std::size_t>> bytes;  // [offset, size) ranges taken
  };
  const Case cases[] = {
      {IOCTL_SET_SERIAL_PORTS, {{6, 1}, {10, 1}, {14, 1}, {18, 1}}},
      {IOCTL_SET_TOUCH_MODE, {{40, 1}, {53, 5}}},
      {IOCTL_SET_FEEDBACK_SOUND, {{41, 5}}},
      {IOCTL_SET_SENSITIVITY, {{46, 1}}},
      {IOCTL_SET_MOUSE_SPEED, {{47, 4}}},
      {IOCTL_SET_CALIBRATION, {{58, 13}}},
      {IOCTL_SET_SCREEN_SIZE, {{72, 4}}},
      {IOCTL_SET_POWER_SAVE, {{51, 1}}},
  };
  for (const Case& c : cases) {
    SettingsBlock before = Block();
    SettingsBlock sent;
    auto* s = reinterpret_cast<std::uint8_t*>(&sent);
    const auto* b = reinterpret_cast<const std::uint8_t*>(&before);
    for (std::size_t i = 0; i < sizeof sent; ++i) s[i] = static_cast<std::uint8_t>(~b[i]);
    DeviceReply reply = Send(c.code, sent);
    ASSERT_TRUE(reply.success) << RequestName(c.code);
    SettingsBlock after = As<SettingsBlock>(reply);
    const auto* a = reinterpret_cast<const std::uint8_t*>(&after);
    for (std::size_t i = 0; i < sizeof after; ++i) {
      bool taken = false;
      for (auto [offset, size] : c.bytes) taken |= i >= offset && i < offset + size;
      EXPECT_EQ(a[i], taken ? s[i] : b[i]) << RequestName(c.code) << " byte " << i;
    }
  }
}

// Every Set request of the request table, sent a block whose every byte differs from the kept
// one: the fields named here for it change, every other field and reserved byte stays, and its
// journal line names exactly those fields. The names are the protocol's, written out here apart
// from the table, and every Set request of the table must be among them.
TEST_F(ControllerTest, EachSetRequestOfTheTableChangesExactlyItsFields) {
  const std::map<std::string, std::set<std::string>> expected = {
      {"SetSerialPorts", {"PortIrq1", "PortIrq2", "PortIrq3", "PortIrq4"}},
      {"SetTouchMode", {"TouchMode", "RbfEnable", "RbfAutoMode", "RbfAutoSTime", "RbfAutoETime", "RbfAutoBeep"}},
      {"SetFeedbackSound", {"SoundMode", "SoundTone", "SoundDuration"}},
      {"SetSensitivity", {"Sensitivity"}},
      {"SetMouseSpeed", {"Bypass", "SpeedH", "SpeedV", "Acceleration"}},
      {"SetCalibration", {"CalibrationData", "CalibrationFlags"}},
      {"SetScreenSize", {"ScreenWidth", "ScreenHeight"}},
      {"SetPowerSave", {"PowerDownTime"}},
  };
  std::set<std::string> setRequests;
  for (const RequestEntry& request : RequestTable()) {
    if (request.fields.empty()) continue;
    SCOPED_TRACE(request.name);
    setRequests.insert(request.name);
    auto own = expected.find(request.name);
    ASSERT_NE(own, expected.end()) << "a Set request with no expected fields";
    SettingsBlock before = As<SettingsBlock>(Send(IOCTL_SIM_GET_BLOCK, SettingsBlock{}));
    SettingsBlock sent;
    auto* s = reinterpret_cast<std::uint8_t*>(&sent);
    const auto* b = reinterpret_cast<const std::uint8_t*>(&before);
    for (std::size_t i = 0; i < sizeof sent; ++i) s[i] = static_cast<std::uint8_t>(~b[i]);
    controller.Handle(IOCTL_SIM_CLEAR_JOURNAL, nullptr, 0);
    ASSERT_TRUE(Send(request.code, sent).success);

    SettingsBlock after = As<SettingsBlock>(Send(IOCTL_SIM_GET_BLOCK, SettingsBlock{}));
    for (const std::string& field : FieldNames()) {
      const SettingsBlock& source = own->second.count(field) ? sent : before;
      EXPECT_EQ(*GetField(after, field), *GetField(source, field)) << field;
    }
    for (int n = 0; n < 9; ++n) EXPECT_EQ(after.PortTable[n].Reserved, before.PortTable[n].Reserved) << n;
    EXPECT_EQ(after.Reserved71, before.Reserved71);

    std::istringstream line(controller.journal().Text());
    std::string time, code, name, item;
    line >> time >> code >> name;
    EXPECT_EQ(name, request.name);
    std::set<std::string> journalled;
    while (line >> item) journalled.insert(item.substr(0, item.find('=')));
    EXPECT_EQ(journalled, own->second);
  }
  std::set<std::string> named;
  for (const auto& [name, fields] : expected) named.insert(name);
  EXPECT_EQ(setRequests, named) << "the table's Set requests";
}

// The simulator's line holds its Sim… requests alone: the administration of the real device
// (SetMonitors, SetInput, SetFields, …) waits in the suite's.
TEST(RequestLine, TheSimulatorsLineHoldsItsOwnRequestsAlone) {
  for (const RequestEntry& request : RequestTable())
    EXPECT_EQ(Controller::SimulatorRequest(request.code), std::string(request.name).rfind("Sim", 0) == 0)
        << request.name;
}

TEST_F(ControllerTest, WrongSizesAndUnknownCodesFailWithoutEffect) {
  SettingsBlock before = Block();
  std::uint8_t junk[100] = {};
  EXPECT_FALSE(controller.Handle(IOCTL_SET_MOUSE_SPEED, junk, 81).success);
  EXPECT_FALSE(controller.Handle(IOCTL_SET_MOUSE_SPEED, junk, 83).success);
  EXPECT_FALSE(controller.Handle(IOCTL_GET_TOUCH_SAMPLE, junk, 0).success);
  EXPECT_FALSE(controller.Handle(0xF2020, junk, 82).success);
  EXPECT_FALSE(controller.Handle(0xF9180, junk, sizeof(TouchOptions)).success);  // SetOptions's code before
  EXPECT_FALSE(controller.Handle(0, nullptr, 0).success);
  SettingsBlock after = Block();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  EXPECT_NE(controller.journal().Text().find("SetMouseSpeed size=81 failed"), std::string::npos);
}

TEST_F(ControllerTest, AnAbsentControllerShowsNoActivePortButKeepsIt) {
  std::int32_t absent = 0, present = 1;
  ASSERT_TRUE(Send(IOCTL_SIM_SET_PRESENT, absent).success);
  SettingsBlock b = Block();
  EXPECT_EQ(b.ActivePort, 0);
  EXPECT_EQ(b.SpeedH, DefaultState().block.SpeedH);
  ASSERT_TRUE(Send(IOCTL_SIM_SET_PRESENT, present).success);
  EXPECT_EQ(Block().ActivePort, 1);
}

TEST_F(ControllerTest, TouchReportsCountAndCarryTheTouchBit) {
  SimTouch t{300, 400, 1, 0, 3};
  ASSERT_TRUE(Send(IOCTL_SIM_TOUCH, t).success);
  TouchSample sample{};
  sample = As<TouchSample>(Send(IOCTL_GET_TOUCH_SAMPLE, sample));
  EXPECT_EQ(sample.X, 300);
  EXPECT_EQ(sample.Y, 400);
  EXPECT_EQ(sample.Status & TOUCH_BIT, TOUCH_BIT);
  EXPECT_EQ(sample.Counter, 3);
  SimTouch lift{300, 400, 0, 0, 1};
  Send(IOCTL_SIM_TOUCH, lift);
  sample = As<TouchSample>(Send(IOCTL_GET_TOUCH_SAMPLE, sample));
  EXPECT_EQ(sample.Status & TOUCH_BIT, 0);
  EXPECT_EQ(sample.Counter, 4);
}

TEST_F(ControllerTest, TheArmedRightButtonTakesOneTouchDownOnly) {
  RbfRegistration reg{77, 1, 0};
  Send(IOCTL_SET_RBF_REGISTRATION, reg);
  Send(IOCTL_SIM_TOUCH, SimTouch{100, 100, 1, 0, 5});  // one touch, five reports
  RbfRegistration now = As<RbfRegistration>(Send(IOCTL_GET_RBF_REGISTRATION, reg));
  EXPECT_EQ(now.Window, 77);
  EXPECT_EQ(now.Armed, 0);
  Send(IOCTL_SIM_TOUCH, SimTouch{100, 100, 0, 0, 1});
  Send(IOCTL_SIM_TOUCH, SimTouch{100, 100, 1, 0, 1});
  SimStatus status = As<SimStatus>(Send(IOCTL_SIM_GET_STATUS, SimStatus{}));
  EXPECT_EQ(status.RightButtonActions, 1u) << "disarmed after the first touch";
}

// A burst larger than the journal costs no more than the journal keeps, and leaves what all its
// reports would have left: the counter (wrapping at 16 bits), the newest lines, the one action.
TEST_F(ControllerTest, ALargeBurstLeavesWhatAllItsReportsWould) {
  Send(IOCTL_SIM_TOUCH, SimTouch{5, 6, 1, 0, 2});
  Send(IOCTL_SET_RBF_REGISTRATION, RbfRegistration{77, 1, 0});
  Send(IOCTL_SIM_TOUCH, SimTouch{5, 6, 0, 0, 1});
  Send(IOCTL_SIM_TOUCH, SimTouch{300, 400, 1, 0, 65535});
  SimStatus status = As<SimStatus>(Send(IOCTL_SIM_GET_STATUS, SimStatus{}));
  EXPECT_EQ(status.Counter, static_cast<std::uint16_t>(3 + 65535));
  EXPECT_EQ(status.RightButtonActions, 1u);
  Journal& journal = controller.journal();
  EXPECT_EQ(journal.size(), journal.capacity());
  std::string text = journal.Text();
  EXPECT_EQ(text.find("SimTouch"), std::string::npos) << "every line is one of the burst's newest reports";
  std::string last = "Report X=300 Y=400 Touch=1 Counter=" + std::to_string(static_cast<std::int16_t>(3 + 65535));
  EXPECT_NE(text.rfind(last + " "), std::string::npos);
  std::string first = "Counter=" + std::to_string(static_cast<std::int16_t>(3 + 65535 - journal.capacity() + 1)) + " ";
  EXPECT_EQ(text.find("Counter="), text.find(first));
}

TEST_F(ControllerTest, SettingsSurviveANewController) {
  SettingsBlock b = Block();
  b.PowerDownTime = 27;
  DeviceReply set = Send(IOCTL_SET_POWER_SAVE, b);
  ASSERT_GT(set.kept, 0u) << "a Set's reply waits for its settings to be kept";
  ASSERT_TRUE(test::WaitUntil([&] { return controller.Kept(set.kept).has_value(); }, 10000));
  ASSERT_TRUE(*controller.Kept(set.kept));
  DeviceParts again{StateFile(root.path() + "/settings.bin")};
  SettingsBlock probe{};
  DeviceReply r = again.controller.Handle(IOCTL_GET_SETTINGS, reinterpret_cast<std::uint8_t*>(&probe), sizeof probe);
  std::memcpy(&probe, r.data.data(), sizeof probe);
  EXPECT_EQ(probe.PowerDownTime, 27);
}

TEST_F(ControllerTest, TheJournalNamesTheFieldsARequestCarried) {
  SettingsBlock b = Block();
  b.Bypass = 0, b.SpeedH = 12, b.SpeedV = 12, b.Acceleration = 2;
  Send(IOCTL_SET_MOUSE_SPEED, b);
  Send(IOCTL_PLAY_TEST_SOUND, TestSound{440, 30});
  std::string text = controller.journal().Text();
  EXPECT_NE(text.find(" 0xF2090 SetMouseSpeed Bypass=0 SpeedH=12 SpeedV=12 Acceleration=2\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find(" 0xF5010 PlayTestSound Tone=440 Duration=30\n"), std::string::npos) << text;
  Send(IOCTL_SIM_CLEAR_JOURNAL, std::uint8_t{});  // wrong size: refused, journal kept
  EXPECT_FALSE(controller.journal().Text().empty());
  EXPECT_TRUE(controller.Handle(IOCTL_SIM_CLEAR_JOURNAL, nullptr, 0).success);
  EXPECT_EQ(controller.journal().size(), 0u);
}

// What the touch path hands an output for the reports that requests make: a move when a report
// maps to another place than the pointer's, and a right click for the touch-down that finds the
// right button armed. The touch mode is one the service does not know and the sound is off, so
// that the touches make no other button or sound (the modes: tests/device/touch_modes_test).
TEST_F(ControllerTest, TheTouchPathHandsEveryOutputThePointerActionsOfEachReport) {
  RecordedPointer output;
  parts.touch.path().Attach(output);
  SettingsBlock pointing = Block();
  pointing.TouchMode = 0;
  pointing.SoundMode = 1;
  ASSERT_TRUE(Send(IOCTL_SIM_SET_BLOCK, pointing).success);
  const SettingsBlock block = Block();
  auto move = [&](int x, int y) {
    ScreenPoint p = MapRawToScreen(block, x, y);
    return PointerAction::MoveTo(p.x, p.y);
  };
  const PointerAction rightDown = PointerAction::Press(PointerButton::kRight);
  const PointerAction rightUp = PointerAction::Release(PointerButton::kRight);
  struct Step {
    const char* what;
    std::uint32_t code;
    SimTouch touch;  // SimTouch as it is; for SimFinger X, Y and Touching as down
    std::vector<PointerAction> actions;
  };
  const Step steps[] = {
      {"a touch of three reports at one place", IOCTL_SIM_TOUCH, {100, 900, 1, 0, 3}, {move(100, 900)}},
      {"its lift there", IOCTL_SIM_TOUCH, {100, 900, 0, 0, 1}, {}},
      {"arm the right button", IOCTL_SET_RBF_REGISTRATION, {}, {}},
      {"the armed touch-down", IOCTL_SIM_FINGER, {512, 512, 1, 0, 0}, {move(512, 512), rightDown, rightUp}},
      {"a move of the finger", IOCTL_SIM_FINGER, {700, 300, 1, 0, 0}, {move(700, 300)}},
      {"arm it again", IOCTL_SET_RBF_REGISTRATION, {}, {}},
      {"a move is no touch-down", IOCTL_SIM_FINGER, {10, 20, 1, 0, 0}, {move(10, 20)}},
      {"the lift where it was", IOCTL_SIM_FINGER, {0, 0, 0, 0, 0}, {}},
      // Something else may have moved the pointer since: a touch-down puts it under the finger.
      {"an armed touch-down where the pointer is",
       IOCTL_SIM_TOUCH,
       {10, 20, 1, 0, 2},
       {move(10, 20), rightDown, rightUp}},
      {"a touch-down disarmed", IOCTL_SIM_TOUCH, {1023, 0, 1, 0, 1}, {move(1023, 0)}},
  };
  for (const Step& step : steps) {
    output.actions.clear();
    if (step.code == IOCTL_SIM_TOUCH) Send(step.code, step.touch);
    if (step.code == IOCTL_SIM_FINGER)
      Send(step.code, SimFinger{step.touch.X, step.touch.Y, 0, step.touch.Touching, 0});
    if (step.code == IOCTL_SET_RBF_REGISTRATION) Send(step.code, RbfRegistration{77, 1, 0});
    EXPECT_EQ(output.actions, step.actions) << step.what;
  }
  SimStatus status = As<SimStatus>(Send(IOCTL_SIM_GET_STATUS, SimStatus{}));
  EXPECT_EQ(status.RightButtonActions, 2u) << "the simulated pointer got the same clicks";
  EXPECT_EQ(PointerAction::MoveTo(status.PointerX, status.PointerY), move(1023, 0));
}

TEST(Journal, KeepsTheNewestLines) {
  Journal j(3);
  for (int i = 0; i < 5; ++i) j.Add(0, "E" + std::to_string(i), "");
  std::string text = j.Text();
  EXPECT_EQ(text.find("E1"), std::string::npos);
  EXPECT_NE(text.find(" - E2\n"), std::string::npos);
  EXPECT_NE(text.find(" - E4\n"), std::string::npos);
}

}  // namespace
}  // namespace qx
