// LoadDoubleClickSettings and ApplyDoubleClickSettings against the real registry and desktop of a
// fresh root; each failure letter comes from a real failure of its call (run/failing-calls) or a
// value the desktop refuses.
#include "programs/startup/double_click_settings.h"

#include <gtest/gtest.h>

#include "host/message_box.h"
#include "host/program_state.h"
#include "tests/programs/startup/startup_fixture.h"
#include "tests/support/installation.h"
#include "tests/support/message_recorder.h"
#include "tests/support/temp_root.h"

namespace qx::test {
namespace {

class DoubleClickSettings : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgramState(); }
  void TearDown() override { ResetProgramState(); }

  static std::string Loaded() {
    LoadDoubleClickSettings();
    return std::to_string(DoubleClickSpeed) + "/" + std::to_string(DoubleClickWidth) + "/" +
           std::to_string(DoubleClickHeight);
  }

  TempRoot root;
};

TEST_F(DoubleClickSettings, LoadTakesAllThreeDwordsOrFallsBackToTheDefaultsForAll) {
  EXPECT_EQ(Loaded(), "500/32/32");  // nothing stored; the key is made
  EXPECT_EQ(SuiteValues(), "//");

  WriteDword("DoubleClickSpeed", 600);  // one of three: all three fall back
  EXPECT_EQ(Loaded(), "500/32/32");

  WriteDword("DoubleClickWidth", 10);
  WriteString("DoubleClickHeight", "12");  // text is no REG_DWORD
  EXPECT_EQ(Loaded(), "500/32/32");

  WriteDword("DoubleClickHeight", 12);
  EXPECT_EQ(Loaded(), "600/10/12");

  FailCalls("RegCreateKeyA:QX-COM");  // the key cannot be opened
  EXPECT_EQ(Loaded(), "500/32/32");
}

TEST_F(DoubleClickSettings, ApplyGivesTheDesktopTheValuesAndStoresBothCopies) {
  EXPECT_EQ(DesktopValues(), "500/4/4");
  DoubleClickSpeed = 200;
  DoubleClickWidth = 10;
  DoubleClickHeight = 64;
  EXPECT_EQ(ApplyDoubleClickValues(), "");
  EXPECT_EQ(DesktopValues(), "200/10/64");
  EXPECT_EQ(MouseValues(), "1:200/1:10/1:64");
  EXPECT_EQ(SuiteValues(), "4:200/4:10/4:64");
}

struct Failure {
  const char* failingCalls;
  const char* letters;
};

TEST_F(DoubleClickSettings, EachFailedStepAddsItsLetterInTheOrderOfTheSteps) {
  const Failure failures[] = {
      {"SystemParametersInfoA:SPI_SETDOUBLECLKWIDTH", "W"},
      {"SystemParametersInfoA:SPI_SETDOUBLECLKHEIGHT", "H"},
      {"SystemParametersInfoA:SPI_SETDOUBLECLICKTIME", "T"},
      {"RegCreateKeyA:Mouse", "R"},
      {"RegSetValueExA:DoubleClickWidth", "w"},
      {"RegSetValueExA:DoubleClickHeight", "h"},
      {"RegSetValueExA:DoubleClickSpeed", "t"},
      {"SystemParametersInfoA RegCreateKeyA:Mouse", "WHTR"},
      {"RegSetValueExA:DoubleClickSpeed RegSetValueExA:DoubleClickHeight RegSetValueExA:DoubleClickWidth", "wht"},
      {"SystemParametersInfoA:SPI_SETDOUBLECLKHEIGHT RegSetValueExA:DoubleClickSpeed", "Ht"},
      {"SetDoubleClickTime", ""},  // its result is not tested
  };
  for (const Failure& failure : failures) {
    FailCalls(failure.failingCalls);
    EXPECT_EQ(ApplyDoubleClickValues(), failure.letters) << failure.failingCalls;
  }
}

TEST_F(DoubleClickSettings, ValuesTheDesktopRefusesFailTheirStepAndAreStoredAnyway) {
  DoubleClickSpeed = 0;
  DoubleClickWidth = 65;
  DoubleClickHeight = -1;
  EXPECT_EQ(ApplyDoubleClickValues(), "WHT");
  EXPECT_EQ(DesktopValues(), "500/4/4");  // unchanged
  EXPECT_EQ(MouseValues(), "1:0/1:65/1:-1");
  EXPECT_EQ(SuiteValues(), "4:0/4:65/4:-1");
}

TEST_F(DoubleClickSettings, WithoutTheMouseKeyNeitherCopyIsWrittenAndTheBoxSaysR) {
  FailCalls("RegCreateKeyA:Mouse");
  MessageRecorder boxes;
  const int beeps = BeepCount();
  EXPECT_FALSE(ApplyDoubleClickSettings(" Title"));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, " Title");
  EXPECT_EQ(boxes.shown[0].text, "Fail to SetDoubleClock (R)!");
  EXPECT_EQ(boxes.shown[0].type, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
  EXPECT_EQ(BeepCount(), beeps + 1);
  EXPECT_EQ(DesktopValues(), "500/32/32");
  EXPECT_EQ(SuiteValues(), "//");  // the step that stores them was skipped

  FailCalls("");
  EXPECT_TRUE(ApplyDoubleClickSettings(" Title"));
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(SuiteValues(), "4:500/4:32/4:32");
}

}  // namespace
}  // namespace qx::test
