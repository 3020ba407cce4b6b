// The routines the installer, the uninstaller and the startup program share: INI files, the
// existence test with its trailing "\", Pause, and the restart's failure box.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <cmath>
#include <vector>

#include "platform/file_exists.h"
#include "platform/ini_file.h"
#include "platform/pause.h"
#include "platform/restart_windows.h"
#include "tests/support/message_recorder.h"
#include "tests/support/temp_root.h"

namespace qx {
namespace {

using namespace std::string_literals;

constexpr char kIni[] = "C:\\Program Files\\QX-COM\\setup.ini";

TEST(IniFileTest, ReadsTheValueOrNothing) {
  test::TempRoot root;
  const std::string file = root.path() + "/drive_c/Program Files/QX-COM/setup.ini";
  EXPECT_EQ(ReadIniString(kIni, "Settings", "FeedbackTone"), "");  // no file
  test::WriteFile(file, "[Settings]\r\nFeedbackTone=1200\r\nPadded=\"20   \"\r\nZero=12\0 34\r\nLong="s +
                            std::string(300, '9') + "\r\n");
  EXPECT_EQ(ReadIniString(kIni, "settings", "FEEDBACKTONE"), "1200");
  EXPECT_EQ(ReadIniString(kIni, "Settings", "Missing"), "");
  EXPECT_EQ(ReadIniString(kIni, "Missing", "FeedbackTone"), "");
  EXPECT_EQ(ReadIniString(kIni, "Settings", "Padded"), "20");  // the trailing spaces go
  EXPECT_EQ(ReadIniString(kIni, "Settings", "Zero"), "12");    // cut at the first zero
  EXPECT_EQ(ReadIniString(kIni, "Settings", "Long"), std::string(254, '9'));
}

TEST(IniFileTest, WritesAndSaysWhetherItCould) {
  test::TempRoot root;
  EXPECT_FALSE(WriteIniString("C:\\WINDOWS\\WININIT.INI", "rename", "NUL", "C:\\WINDOWS\\QXWMECde.exe"));
  test::WriteFile(root.path() + "/drive_c/WINDOWS/WININIT.INI", "; made by hand\n[boot]\nshell=x\n");
  EXPECT_TRUE(WriteIniString("C:\\WINDOWS\\WININIT.INI", "rename", "NUL", "C:\\WINDOWS\\QXWMECde.exe"));
  EXPECT_EQ(test::ReadFile(root.path() + "/drive_c/WINDOWS/WININIT.INI"),
            "; made by hand\n[boot]\nshell=x\n[rename]\nNUL=C:\\WINDOWS\\QXWMECde.exe\n");
  EXPECT_TRUE(WriteIniString("C:\\WINDOWS\\WININIT.INI", "rename", "NUL", "C:\\x   "));
  EXPECT_EQ(ReadIniString("C:\\WINDOWS\\WININIT.INI", "rename", "NUL"), "C:\\x");
}

TEST(FileExistsTest, ATrailingBackslashIsRemovedFirst) {
  test::TempRoot root;
  test::WriteFile(root.path() + "/drive_c/QX/setup.oem", "[SETUP]\n");
  EXPECT_TRUE(FileExists("C:\\QX\\setup.oem\\"));
  EXPECT_TRUE(FileExists("C:\\QX\\SETUP.OEM"));
  EXPECT_FALSE(FileExists("C:\\QX\\"));  // a folder, with or without the "\", is no file
  EXPECT_FALSE(FileExists("C:\\QX"));
  EXPECT_FALSE(FileExists("\\"));
}

// A clock that moves only when the pause lets events run, by STEP_MS each time; counted in whole
// milliseconds, so that its readings are exact.
class SteppedClock : public PauseClock {
 public:
  SteppedClock(double start, int stepMs) : ms_(std::llround(start * 1000)), stepMs_(stepMs) {}
  double Now() override { return static_cast<double>(ms_) / 1000; }
  void RunEvents(double seconds) override {
    waits.push_back(seconds);
    QCoreApplication::processEvents();
    ms_ += stepMs_;
  }
  std::vector<double> waits;

 private:
  long long ms_;
  int stepMs_;
};

double PauseFrom(double start, std::int16_t seconds, int stepMs = 100) {
  SteppedClock clock(start, stepMs);
  Pause(seconds, clock);
  return clock.Now();
}

TEST(PauseTest, EndsAtTheRoundedStartPlusTheSecondsEvenAcrossMidnight) {
  EXPECT_NEAR(PauseFrom(100.6, 1), 102.0, 1e-9);
  EXPECT_NEAR(PauseFrom(100.3, 1), 101.0, 1e-9);
  EXPECT_NEAR(PauseFrom(100.5, 1), 101.0, 1e-9);  // halves to even
  EXPECT_NEAR(PauseFrom(101.5, 1), 103.0, 1e-9);
  EXPECT_NEAR(PauseFrom(100.7, 0), 101.0, 1e-9);
  EXPECT_NEAR(PauseFrom(100.3, 0), 100.3, 1e-9);
  // Begun in the last half second before midnight (86400 s): it ends 1.4 s later, not a day later.
  EXPECT_NEAR(PauseFrom(86399.6, 1), 86401.0, 1e-9);
  EXPECT_NEAR(PauseFrom(50.0, 3, 250), 53.0, 1e-9);
  EXPECT_NEAR(PauseFrom(50.0, -2), 50.0, 1e-9);
  // Each wait is for no longer than the rest of the pause.
  SteppedClock clock(10.2, 500);
  Pause(2, clock);
  ASSERT_EQ(clock.waits.size(), 4u);
  EXPECT_NEAR(clock.waits[0], 1.8, 1e-9);
  EXPECT_NEAR(clock.waits[3], 0.3, 1e-9);
}

TEST(PauseTest, EventsRunWhileItWaits) {
  int ran = 0;
  QTimer::singleShot(0, [&] { ++ran; });
  QTimer::singleShot(300, [&] { ++ran; });
  const double start = SystemPauseClock().Now();
  Pause(1);
  const double took = SystemPauseClock().Now() - start;
  EXPECT_EQ(ran, 2);
  EXPECT_GE(took, 0.5);
  EXPECT_LT(took, 10.0);  // nothing like a day
}

TEST(RestartWindowsTest, AFailedRestartSaysSoInABox) {
  test::TempRoot root;
  test::WriteFile(root.path() + "/run/failing-calls", "ExitWindowsEx\n");
  test::MessageRecorder boxes;
  EXPECT_FALSE(RestartWindows("TouchScreen Software Removal"));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Fail to restart system! (ExitWindowsEx=0)");
  EXPECT_EQ(boxes.shown[0].caption, "TouchScreen Software Removal");
  EXPECT_EQ(boxes.shown[0].type, MB_OK);
}

}  // namespace
}  // namespace qx
