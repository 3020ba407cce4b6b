// The finger of the simulated controller: held down, it is reported at the controller's rate from
// the service's own loop, with no client connected, until it lifts.
#include "device/finger.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "core/driver_records.h"
#include "tests/support/device_request.h"
#include "tests/support/device_service.h"
#include "tests/support/finger.h"
#include "tests/support/journal.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

using namespace std::chrono_literals;
using test::DeviceService;
using test::JournalReport;
using test::LiftFinger;
using test::PressFinger;
using test::SetReportRate;

SimStatus Status() { return test::DeviceAnswer(IOCTL_SIM_GET_STATUS, SimStatus{}); }

class FingerTest : public ::testing::Test {
 protected:
  test::TempRoot root;
  DeviceService service;
};

TEST_F(FingerTest, AHeldFingerIsReportedAtTheRateUntilItLifts) {
  ASSERT_TRUE(SetReportRate(200));
  EXPECT_EQ(DeviceService::Qxctl("controller rate"), "200\n");
  ASSERT_TRUE(PressFinger(1023, 0));
  std::this_thread::sleep_for(500ms);
  ASSERT_TRUE(LiftFinger());
  std::uint16_t counterAtLift = Status().Counter;
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(Status().Counter, counterAtLift) << "nothing is reported once the finger is up";

  std::vector<JournalReport> reports = test::JournalReports();
  ASSERT_GE(reports.size(), 3u);
  // 200 a second: the held reports keep to a schedule of one each 5 ms, never more, so between any
  // two of them lie no more periods than the time between them holds (one more for the journal's
  // times, to the millisecond, and one for a report made late on its schedule). How many came
  // depends on how busy the machine is: a service held up does not catch up with a burst.
  const std::size_t held = reports.size() - 1;
  for (std::size_t i = 0; i < held; ++i)
    EXPECT_LE(static_cast<long long>(held - 1 - i) * 5, reports[held - 1].ms - reports[i].ms + 10) << "from " << i;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const JournalReport& r = reports[i];
    EXPECT_EQ(r.counter, static_cast<int>(i) + 1) << "a fresh counter each report";
    EXPECT_EQ(r.x, 1023);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.touch, i + 1 < reports.size() ? 1 : 0);
    // The default calibration maps raw 1023, 0 to the top right pixel.
    EXPECT_EQ(r.pointerX, 1023);
    EXPECT_EQ(r.pointerY, 0);
  }
  EXPECT_EQ(Status().Touching, 0);

  int rc = -1;
  DeviceService::Qxctl("controller rate 0", &rc);
  EXPECT_EQ(rc, 64);
  EXPECT_FALSE(SetReportRate(1001));
  EXPECT_EQ(DeviceService::Qxctl("controller rate"), "200\n");
}

// A press on a finger that is down moves it; only a finger put down is a touch-down, and only a
// touch-down takes the armed one-shot right button.
TEST_F(FingerTest, APressMovesAFingerThatIsDownAndTheRightButtonTakesOnlyTheTouchDown) {
  ASSERT_TRUE(SetReportRate(100));
  test::DeviceAnswer(IOCTL_SET_RBF_REGISTRATION, RbfRegistration{1234, 1, 0});
  ASSERT_TRUE(PressFinger(100, 100));
  EXPECT_EQ(Status().RightButtonActions, 1u);
  EXPECT_EQ(test::DeviceAnswer(IOCTL_GET_RBF_REGISTRATION, RbfRegistration{}).Armed, 0) << "the flag is cleared";

  test::DeviceAnswer(IOCTL_SET_RBF_REGISTRATION, RbfRegistration{1234, 1, 0});
  ASSERT_TRUE(PressFinger(900, 700));
  std::this_thread::sleep_for(100ms);
  SimStatus moved = Status();
  EXPECT_EQ(moved.RawX, 900);
  EXPECT_EQ(moved.RawY, 700);
  EXPECT_EQ(moved.Touching, 1);
  EXPECT_EQ(moved.RightButtonActions, 1u) << "a move is no touch-down";

  ASSERT_TRUE(LiftFinger());
  ASSERT_TRUE(PressFinger(200, 300));
  EXPECT_EQ(Status().RightButtonActions, 2u) << "the next touch-down takes it";
  ASSERT_TRUE(LiftFinger());

  std::vector<JournalReport> reports = test::JournalReports();
  std::set<std::pair<int, int>> places;
  for (const JournalReport& r : reports) places.insert({r.x, r.y});
  EXPECT_EQ(places, (std::set<std::pair<int, int>>{{100, 100}, {900, 700}, {200, 300}}));
}

TEST_F(FingerTest, AShakyFingerStaysNearItsPlaceAndOnThePanel) {
  ASSERT_TRUE(SetReportRate(1000));
  ASSERT_TRUE(PressFinger(512, 400, 5));
  std::this_thread::sleep_for(150ms);
  ASSERT_TRUE(PressFinger(0, 1023, 20));
  std::this_thread::sleep_for(150ms);
  ASSERT_TRUE(LiftFinger());
  std::set<std::pair<int, int>> near, edge;
  for (const JournalReport& r : test::JournalReports()) {
    if (r.touch == 0) continue;
    if (r.x >= 100 && r.x <= 900) {
      EXPECT_LE(std::abs(r.x - 512), 5);
      EXPECT_LE(std::abs(r.y - 400), 5);
      near.insert({r.x, r.y});
    } else {
      EXPECT_GE(r.x, 0);
      EXPECT_LE(r.x, 20);
      EXPECT_GE(r.y, 1003);
      EXPECT_LE(r.y, 1023);
      edge.insert({r.x, r.y});
    }
  }
  EXPECT_GT(near.size(), 5u) << "the reports differ";
  EXPECT_GT(edge.size(), 5u);
}

// A service that was stopped with a finger down picks up at its rate where it is, without a
// burst of the reports it missed: however slow the machine, no more reports than the time since
// it continued allows.
TEST_F(FingerTest, AServiceStoppedAndContinuedDoesNotCatchUp) {
  ASSERT_TRUE(SetReportRate(100));
  ASSERT_TRUE(PressFinger(300, 300));
  std::this_thread::sleep_for(100ms);
  const std::uint16_t before = Status().Counter;
  ::kill(service.pid(), SIGSTOP);
  std::this_thread::sleep_for(1s);
  ::kill(service.pid(), SIGCONT);
  const auto continued = std::chrono::steady_clock::now();
  const std::uint16_t resumed = Status().Counter;
  const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - continued);
  EXPECT_LE(resumed - before, since.count() / 10 + 3) << "a burst of the hundred reports missed";
  EXPECT_TRUE(test::WaitUntil([&] { return Status().Counter - resumed >= 10; }, 10000)) << "reporting again";
  ASSERT_TRUE(LiftFinger());
}

TEST_F(FingerTest, ABurstTakesThePanelFromTheHeldFinger) {
  ASSERT_TRUE(PressFinger(300, 300));
  int rc = -1;
  DeviceService::Qxctl("touch 700 800 --reports 3", &rc);
  ASSERT_EQ(rc, 0);
  std::uint16_t after = Status().Counter;
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(Status().Counter, after);
  EXPECT_EQ(Status().RawX, 700);

  // The command line's finger: press, press again to move, lift.
  DeviceService::Qxctl("press 10 20 --jitter 0", &rc);
  EXPECT_EQ(rc, 0);
  DeviceService::Qxctl("press 10 20 --jitter 2000", &rc);
  EXPECT_EQ(rc, 64);
  DeviceService::Qxctl("lift", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Status().Touching, 0);
  EXPECT_EQ(Status().RawX, 10);
}

// The timing itself, on a clock the test sets.
TEST(FingerTiming, ReportsAreDueOnePeriodApartAndMissedOnesAreNotMadeUp) {
  Finger finger;
  Finger::Time t0{};
  EXPECT_FALSE(finger.NextDue());
  finger.Press(1, 2, 0, t0);
  EXPECT_TRUE(finger.TakeDue(t0));
  EXPECT_FALSE(finger.TakeDue(t0 + 9ms));
  EXPECT_TRUE(finger.TakeDue(t0 + 10ms));
  EXPECT_TRUE(finger.TakeDue(t0 + 21ms)) << "a little late";
  EXPECT_EQ(*finger.NextDue(), t0 + 30ms) << "keeps the rate";
  EXPECT_TRUE(finger.TakeDue(t0 + 5s));
  EXPECT_FALSE(finger.TakeDue(t0 + 5s + 1ms)) << "one report after a long hold-up, not five hundred";
  EXPECT_EQ(*finger.NextDue(), t0 + 5s + 10ms);
  finger.SetRate(1000);
  finger.Lift();
  EXPECT_FALSE(finger.TakeDue(t0 + 10s));
  EXPECT_EQ(finger.ReportX(), 1);
}

}  // namespace
}  // namespace qx
