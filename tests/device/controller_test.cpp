// The simulated controller's answers, in-process.
#include "device/controller.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/support/temp_root.h"

namespace qx {
namespace {

class ControllerTest : public ::testing::Test {
 protected:
  template <typename Record>
  DeviceReply Send(std::uint32_t code, const Record& r) {
    return controller.Handle(code, reinterpret_cast<const std::uint8_t*>(&r), sizeof r);
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
  Controller controller{StateFile(root.path() + "/settings.bin")};
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

TEST_F(ControllerTest, WrongSizesAndUnknownCodesFailWithoutEffect) {
  SettingsBlock before = Block();
  std::uint8_t junk[100] = {};
  EXPECT_FALSE(controller.Handle(IOCTL_SET_MOUSE_SPEED, junk, 81).success);
  EXPECT_FALSE(controller.Handle(IOCTL_SET_MOUSE_SPEED, junk, 83).success);
  EXPECT_FALSE(controller.Handle(IOCTL_GET_TOUCH_SAMPLE, junk, 0).success);
  EXPECT_FALSE(controller.Handle(0xF2020, junk, 82).success);
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
  const Journal& journal = controller.journal();
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
  Send(IOCTL_SET_POWER_SAVE, b);
  Controller again{StateFile(root.path() + "/settings.bin")};
  SettingsBlock probe{};
  DeviceReply r = again.Handle(IOCTL_GET_SETTINGS, reinterpret_cast<std::uint8_t*>(&probe), sizeof probe);
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
