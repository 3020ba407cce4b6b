// The installer's settings step in process, against the real registry of a temporary root: the
// number rule, the byte texts, the twelve values and their failures.
#include "programs/setup/setup_settings.h"

#include <gtest/gtest.h>

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "host/program_state.h"
#include "tests/programs/setup/registry_values.h"
#include "tests/support/message_recorder.h"
#include "tests/support/temp_root.h"
#include "ui/window_program.h"

namespace qx {
namespace {

TEST(SetupNumber, ReadsTheLeadingNumberRoundsHalvesToEvenAndKeepsToTheRange) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> value;
  };
  const Case cases[] = {
      {"", std::nullopt},
      {"7", 7},
      {"  12", 12},
      {"20.4", 20},
      {"20.5", 20},
      {"18.5", 18},
      {"19.5x", 20},
      {"-0.4", 0},
      {"+3", 3},
      {"1e1", 10},
      {"2e", 2},
      {"3.", 3},
      {".5", 0},
      {"abc", 0},
      {"x12", 0},
      {"21", std::nullopt},
      {"-1", std::nullopt},
      {"1e400", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(SetupNumber(c.text, 0, 20), c.value) << '"' << c.text << '"';
  EXPECT_EQ(SetupNumber("abc", 1, 4), std::nullopt) << "not a number is 0, below a minimum of 1";
  EXPECT_EQ(SetupNumber("1200", 200, 5000), 1200);
}

TEST(ByteText, GivesOneTwoOrFourHexPairs) {
  EXPECT_EQ(ByteText(3, 1), "03");
  EXPECT_EQ(ByteText(1200, 2), "B0,04");
  EXPECT_EQ(ByteText(0x01030701, 4), "01,03,07,01,");
}

class SetupSettings : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramTitle("TouchScreen Driver Installation"); }
  void TearDown() override {
    ResetProgramState();
    SetProgramTitle("");
  }

  // Writes "setup.ini" with LINES in its "Settings" section and runs the step on it.
  void Run(const std::string& lines) {
    test::WriteFile(root.path() + "/drive_c/setup.ini", "[Settings]\r\n" + lines);
    WriteInitialSettings("C:\\setup.ini");
  }
  static test::StoredValue Value(const std::string& name) { return test::SuiteValue(name); }

  test::TempRoot root;
  test::MessageRecorder boxes;
};

TEST_F(SetupSettings, WritesEveryAcceptedValueInItsEncoding) {
  Run("CalibrationMode=1\r\nVirtualButton=3\r\nRightButtonFunction=1\r\nRightButtonAutoMode=1\r\n"
      "RightButtonAutoSTime=3\r\nRightButtonAutoETime=7\r\nRightButtonAutoBeep=1\r\nFeedbackSound=2\r\n"
      "FeedbackTone=1200\r\nFeedbackDuration=35\r\nMouseBypass=1\r\nMouseHSpeed=20.4\r\nMouseVSpeed=7\r\n"
      "MouseAcceleration=3\r\nDoubleClickSpeed=650\r\nDoubleClickWidth=0\r\nDoubleClickHeight=64\r\n"
      "PanelDirection=5\r\n");
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Value("CalibrationMode"), test::Dword(1));
  EXPECT_EQ(Value("VirtualButton"), test::Binary({3}));
  EXPECT_EQ(Value("RightButtonFunction"), test::Binary({1}));
  EXPECT_EQ(Value("RightButtonAutomatic"), test::Binary({0x01, 0x03, 0x07, 0x01}));
  EXPECT_EQ(Value("FeedbackSound"), test::Binary({2}));
  EXPECT_EQ(Value("FeedbackTone"), test::Binary({0xB0, 0x04}));
  EXPECT_EQ(Value("FeedbackDuration"), test::Binary({35, 0}));
  EXPECT_EQ(Value("MouseSpeed"), test::Binary({20, 7, 3, 1}));  // H, V, acceleration, bypass
  EXPECT_EQ(Value("DoubleClickSpeed"), test::Dword(650));
  EXPECT_EQ(Value("DoubleClickWidth"), test::Dword(0));
  EXPECT_EQ(Value("DoubleClickHeight"), test::Dword(64));
  EXPECT_EQ(Value("PanelDirection"), test::Binary({5}));
}

TEST_F(SetupSettings, SkipsWhatIsMissingOrOutOfRangeAndPackedValuesMissingAPart) {
  Run("CalibrationMode=none\r\nVirtualButton=none\r\nRightButtonAutoMode=1\r\nRightButtonAutoSTime=3\r\n"
      "RightButtonAutoETime=10\r\nRightButtonAutoBeep=1\r\nMouseBypass=0\r\nMouseHSpeed=21\r\nMouseVSpeed=7\r\n"
      "MouseAcceleration=3\r\nDoubleClickSpeed=50\r\nDoubleClickWidth=8\r\nFeedbackTone=\r\n");
  EXPECT_TRUE(boxes.shown.empty()) << "skipped values say nothing";
  EXPECT_EQ(Value("CalibrationMode"), test::Dword(0)) << "a text that is not a number is 0, within 0..1";
  EXPECT_EQ(Value("VirtualButton"), std::nullopt) << "0 is below 1";
  EXPECT_EQ(Value("RightButtonAutomatic"), std::nullopt) << "its end time 10 is out of range";
  EXPECT_EQ(Value("MouseSpeed"), std::nullopt) << "its horizontal speed 21 is out of range";
  EXPECT_EQ(Value("DoubleClickSpeed"), std::nullopt);
  EXPECT_EQ(Value("DoubleClickWidth"), test::Dword(8)) << "the keys after a skipped one are still written";
  EXPECT_EQ(Value("FeedbackTone"), std::nullopt) << "an empty text counts as missing";
  EXPECT_EQ(Value("RightButtonFunction"), std::nullopt);
}

TEST_F(SetupSettings, AFailedWriteIsSaidAndTheNextValueStillWritten) {
  test::WriteFile(root.path() + "/run/failing-calls", "RegSetValueExA:FeedbackTone RegSetValueExA:MouseSpeed\n");
  Run("FeedbackSound=2\r\nFeedbackTone=1200\r\nFeedbackDuration=35\r\nMouseBypass=0\r\nMouseHSpeed=5\r\n"
      "MouseVSpeed=5\r\nMouseAcceleration=2\r\nDoubleClickSpeed=300\r\n");
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, "Fail to save settings! (FeedbackTone)");
  EXPECT_EQ(boxes.shown[1].text, "Fail to save settings! (MouseSpeed)");
  EXPECT_EQ(boxes.shown[0].caption, "TouchScreen Driver Installation");
  EXPECT_EQ(boxes.shown[0].type, MB_OK);
  EXPECT_EQ(Value("FeedbackSound"), test::Binary({2}));
  EXPECT_EQ(Value("FeedbackTone"), std::nullopt);
  EXPECT_EQ(Value("FeedbackDuration"), test::Binary({35, 0}));
  EXPECT_EQ(Value("DoubleClickSpeed"), test::Dword(300));
}

TEST_F(SetupSettings, WithoutTheFileOrTheKeyNothingHappens) {
  WriteInitialSettings("C:\\nowhere\\setup.ini");
  test::WriteFile(root.path() + "/run/failing-calls", "RegCreateKeyA:SOFTWARE\\Harlenby\\TouchScreen\\QX-COM\n");
  Run("FeedbackSound=2\r\n");
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Value("FeedbackSound"), std::nullopt);
}

}  // namespace
}  // namespace qx
