// The calibration run without a window or a service: touch samples from a script, a view that
// writes down what it is asked to show and answers its questions as told. The steady-touch rule,
// the break at each of the run's moments, the wiring check of the computation, and the end.
#include "programs/panel/calibration_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/panel_model.h"

namespace qx::test {
namespace {

TouchSample Down(int x, int y, int counter) {
  return {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), TOUCH_BIT, 0, static_cast<std::int16_t>(counter)};
}
TouchSample Up(int counter) { return {0, 0, 0, 0, static_cast<std::int16_t>(counter)}; }

// The driver's block: a 1024 x 768 screen and a calibration of its own.
SettingsBlock BlockBeforeTheRun() {
  SettingsBlock block{};
  const std::int16_t data[6] = {40, 500, 980, 60, 510, 990};
  std::copy(std::begin(data), std::end(data), block.CalibrationData);
  block.CalibrationFlags = 2;
  block.ScreenWidth = 1024;
  block.ScreenHeight = 768;
  return block;
}

// The name of a case of a table, for the test's name.
template <typename Case>
std::string NameOf(const ::testing::TestParamInfo<Case>& c) {
  return c.param.name;
}

std::string SetCalibrationLine(const SettingsBlock& b) {
  std::string text = "SetCalibration ";
  for (int i = 0; i < 6; ++i) text += (i ? "," : "") + std::to_string(b.CalibrationData[i]);
  return text + " flags " + std::to_string(b.CalibrationFlags);
}

// Each GetTouchSample takes the next sample of the script; once it has run out the last one stays
// (as a request that fails leaves the last sample in place).
class ScriptedDriver : public CalibrationDriver {
 public:
  SettingsBlock& Block() override { return block; }
  const TouchSample& GetTouchSample() override {
    requests.push_back("GetTouchSample");
    if (!script.empty()) {
      sample = script.front();
      script.pop_front();
    }
    return sample;
  }
  SmiRegistration& GetSmiRegistration() override {
    requests.push_back("GetSmiRegistration");
    return smi;
  }
  void SetCalibrationState(long state) override { requests.push_back("SetCalibrationState " + std::to_string(state)); }
  void SetCalibration() override { requests.push_back(SetCalibrationLine(block)); }
  void StartPolls() override { polling = true; }
  void StopPolls() override { polling = false; }

  std::deque<TouchSample> script;
  TouchSample sample{};
  SettingsBlock block = BlockBeforeTheRun();
  SmiRegistration smi{-1, 0, 0};
  std::vector<std::string> requests;
  bool polling = false;
};

// Writes down what the run shows. Its boxes first run DURING_QUESTION (the window's events while a
// box is open); the questions are answered from ANSWERS, No once they have run out.
class RecordingView : public CalibrationView {
 public:
  void DrawTarget(int index, bool draw) override { Show((draw ? "draw " : "erase ") + std::to_string(index)); }
  void ShowTouchPrompt(const std::string& name) override { Show("touch " + name); }
  void ShowLiftOffPrompt(const std::string& text) override { Show("lift " + text); }
  void SetTouchIndicator(bool touched) override { Show(touched ? "yellow" : "white"); }
  void HidePointer() override { Show("hide pointer"); }
  bool AskBreak() override { return Ask("break?"); }
  void RefuseMode(const std::string& text) override { Ask("refuse " + text); }
  void ShowFailure(const std::string& text) override { Ask("failure " + text); }
  void ShowCompletion() override { Show("completion"); }
  bool AskKeep() override { return Ask("keep?"); }
  void ShowHourglass(bool busy) override { Show(busy ? "hourglass" : "default pointer"); }
  void Unload() override { Show("unload"); }

  bool Ask(const std::string& question) {
    Show(question);
    if (duringQuestion) duringQuestion();
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  void Show(const std::string& what) { shown.push_back(what); }

  std::vector<std::string> shown;
  std::deque<bool> answers;
  std::function<void()> duringQuestion;
};

class CalibrationRunTest : public ::testing::Test {
 protected:
  // Starts a run by MODE with the panel as AT_START gives it.
  void Start(TouchSample atStart = Up(0), int mode = CornerMethod) {
    driver.script.push_front(atStart);
    run->Start(mode);
  }
  // Polls as the window would while the polls run, at most LIMIT times; how many were made.
  int PollWhileRunning(int limit = 100) {
    int polls = 0;
    while (run && driver.polling && polls < limit) {
      ++polls;
      run->Poll();
    }
    return polls;
  }
  void Script(std::initializer_list<TouchSample> samples) { driver.script.insert(driver.script.end(), samples); }
  // A finger held at raw (X, Y) over two reports, polled faster than they come, then lifted.
  void Press(int x, int y) {
    const int report = ++counter;
    Script({Down(x, y, report), Down(x, y, report), Down(x, y, ++counter), Up(counter)});
  }
  // The finger on PANEL's cross of TARGET.
  void Take(const PanelModel& panel, int target) {
    const auto [px, py] = Cross(target, panel.width, panel.height);
    const auto [x, y] = panel.Raw(px, py);
    Press(x, y);
  }
  int Count(const std::string& request) const {
    return static_cast<int>(std::count(driver.requests.begin(), driver.requests.end(), request));
  }
  int CalibrationsSent() const {
    return static_cast<int>(std::count_if(driver.requests.begin(), driver.requests.end(),
                                          [](const std::string& r) { return r.rfind("SetCalibration ", 0) == 0; }));
  }

  ScriptedDriver driver;
  RecordingView view;
  int counter = 0;  // the controller's report counter
  std::unique_ptr<CalibrationRun> run = std::make_unique<CalibrationRun>(view, driver);
};

// The steady-touch rule at the first target: the samples after the target is drawn, the poll at
// which the point is taken (0: never) and where.
struct SteadyCase {
  const char* name;
  std::vector<TouchSample> samples;
  int takenAtPoll;
  int x, y;
};

void PrintTo(const SteadyCase& c, std::ostream* out) { *out << c.name; }

class SteadyTouch : public CalibrationRunTest, public ::testing::WithParamInterface<SteadyCase> {};

TEST_P(SteadyTouch, PointIsTakenWhenThePositionHoldsOverTwoFreshReports) {
  const SteadyCase& c = GetParam();
  Start();
  driver.script.assign(c.samples.begin(), c.samples.end());
  int polls = 0;
  while (run->phase() == CalibrationRun::Phase::AwaitTouch && polls < 50) {
    ++polls;
    run->Poll();
  }
  if (c.takenAtPoll == 0) {
    EXPECT_EQ(run->phase(), CalibrationRun::Phase::AwaitTouch);
    EXPECT_EQ(Count("SetCalibrationState 5"), 0);
    return;
  }
  EXPECT_EQ(polls, c.takenAtPoll);
  EXPECT_EQ(run->phase(), CalibrationRun::Phase::AwaitLift);
  EXPECT_EQ(driver.requests.back(), "SetCalibrationState 5");
  EXPECT_EQ(run->points().PointX[1], c.x);
  EXPECT_EQ(run->points().PointY[1], c.y);
  EXPECT_EQ(std::vector(view.shown.end() - 2, view.shown.end()),
            (std::vector<std::string>{"erase 1", "lift NEXT STEP!"}));
}

INSTANTIATE_TEST_SUITE_P(
    Samples, SteadyTouch,
    ::testing::Values(
        // The report that brought the position counts as the first: taken at the second.
        SteadyCase{
            "SecondReport", {Down(100, 120, 1), Down(100, 120, 1), Down(100, 120, 1), Down(100, 120, 2)}, 4, 100, 120},
        // Polls faster than the reports count nothing.
        SteadyCase{"NoFreshReport", std::vector<TouchSample>(30, Down(100, 120, 1)), 0, 0, 0},
        SteadyCase{"OneUnitInX",
                   {Down(900, 120, 1), Down(900, 120, 1), Down(901, 120, 2), Down(901, 120, 2), Down(901, 120, 3)},
                   5,
                   901,
                   120},
        SteadyCase{"OneUnitInY",
                   {Down(100, 120, 1), Down(100, 120, 1), Down(100, 121, 2), Down(100, 121, 2), Down(100, 121, 3)},
                   5,
                   100,
                   121},
        // A lift before the second report starts the wait for the same target afresh.
        SteadyCase{
            "LiftStartsAfresh",
            {Down(100, 120, 1), Down(100, 120, 1), Up(1), Down(100, 120, 2), Down(100, 120, 2), Down(100, 120, 3)},
            6,
            100,
            120},
        // The count starts from the position (0, 0): a touch there counts from its first report.
        SteadyCase{"AtTheOrigin", {Down(0, 0, 1), Down(0, 0, 2)}, 2, 0, 0}),
    NameOf<SteadyCase>);

// Esc at the run's moments for the person, answered Yes or No: the samples polled after the start,
// the polls before Esc is pressed, then at most three more.
struct BreakCase {
  const char* name;
  TouchSample atStart;
  std::vector<TouchSample> samples;
  int escAfter;
  bool yes;
  std::vector<std::string> shown;     // what the view shows from the Esc on
  std::vector<std::string> requests;  // the requests from the Esc on
};

void PrintTo(const BreakCase& c, std::ostream* out) { *out << c.name; }

class BreakAtEachMoment : public CalibrationRunTest, public ::testing::WithParamInterface<BreakCase> {};

TEST_P(BreakAtEachMoment, QuestionComesAtTheNextMomentAndYesEndsTheRun) {
  const BreakCase& c = GetParam();
  view.answers = {c.yes};
  Start(c.atStart);
  driver.script.assign(c.samples.begin(), c.samples.end());
  for (int i = 0; i < c.escAfter; ++i) run->Poll();
  const std::size_t shownBefore = view.shown.size(), requestsBefore = driver.requests.size();
  run->PressEsc();
  PollWhileRunning(3);
  EXPECT_EQ(std::vector(view.shown.begin() + shownBefore, view.shown.end()), c.shown);
  EXPECT_EQ(std::vector(driver.requests.begin() + requestsBefore, driver.requests.end()), c.requests);
  EXPECT_EQ(run->phase() == CalibrationRun::Phase::Over, c.yes);
  EXPECT_EQ(CalibrationsSent(), 0);
}

const TouchSample kFinger = Down(100, 120, 1);
const TouchSample kNextReport = Down(100, 120, 2);

INSTANTIATE_TEST_SUITE_P(
    Moments, BreakAtEachMoment,
    ::testing::Values(
        // A finger that never lifts at the start.
        BreakCase{"FingerDownAtStart",
                  kFinger,
                  {},
                  0,
                  true,
                  {"erase 0", "break?", "unload"},
                  {"SetCalibrationState 0", "SetCalibrationState 4"}},
        // Right after the target is drawn; the break is noticed at the next wait, a released panel.
        BreakCase{"TargetDrawn",
                  Up(0),
                  {},
                  0,
                  true,
                  {"erase 1", "break?", "draw 1", "white", "unload"},
                  {"SetCalibrationState 0", "GetTouchSample", "SetCalibrationState 4"}},
        BreakCase{"TargetDrawnNo",
                  Up(0),
                  {},
                  0,
                  false,
                  {"erase 1", "break?", "draw 1", "white"},
                  {"SetCalibrationState 0", "GetTouchSample", "GetTouchSample", "GetTouchSample"}},
        // A touched panel that brings no fresh report: a stuck service.
        BreakCase{"NoFreshReport",
                  Up(0),
                  {kFinger, kFinger, kFinger},
                  3,
                  true,
                  {"erase 1", "break?", "draw 1", "unload"},
                  {"GetTouchSample", "SetCalibrationState 0", "SetCalibrationState 4"}},
        // A steady finger with fresh reports is counted without a moment: the point is taken first.
        BreakCase{"WhileCounting",
                  Up(0),
                  {kFinger, kFinger, kNextReport},
                  2,
                  true,
                  {"erase 1", "lift NEXT STEP!", "erase 1", "break?", "unload"},
                  {"GetTouchSample", "SetCalibrationState 5", "GetTouchSample", "SetCalibrationState 0",
                   "SetCalibrationState 4"}},
        // While the lift is awaited the taken target stays erased.
        BreakCase{"AwaitingLiftNo",
                  Up(0),
                  {kFinger, kFinger, kNextReport},
                  3,
                  false,
                  {"erase 1", "break?"},
                  {"GetTouchSample", "SetCalibrationState 0", "GetTouchSample", "GetTouchSample"}}),
    NameOf<BreakCase>);

// A whole run on a panel under every wiring, by both methods: the wiring check of the computation
// finds the wiring, the values go to the driver before the question, and Yes keeps them.
class WholeRun : public CalibrationRunTest, public ::testing::WithParamInterface<std::tuple<CalibrationMethod, int>> {};

TEST_P(WholeRun, WiringIsFoundAndTheNewCalibrationIsInForceBeforeTheQuestion) {
  const auto [method, wiring] = GetParam();
  view.answers = {true};
  const PanelModel panel{1024, 768, wiring};
  for (int target = FirstTarget(method); target < FirstTarget(method) + 4; ++target) Take(panel, target);
  Start(Up(0), method);
  PollWhileRunning();
  EXPECT_EQ(driver.block.CalibrationFlags, wiring);
  EXPECT_EQ(Count("SetCalibrationState 5"), 4);
  EXPECT_EQ(std::vector(driver.requests.end() - 2, driver.requests.end()),
            (std::vector<std::string>{SetCalibrationLine(driver.block), "SetCalibrationState 0"}));
  EXPECT_EQ(std::vector(view.shown.end() - 3, view.shown.end()),
            (std::vector<std::string>{"completion", "keep?", "unload"}));
  EXPECT_EQ(run->phase(), CalibrationRun::Phase::Over);
}

INSTANTIATE_TEST_SUITE_P(Wirings, WholeRun,
                         ::testing::Combine(::testing::Values(CornerMethod, SideMethod), ::testing::Range(0, 8)));

TEST_F(CalibrationRunTest, UnrecognisedWiringShowsTheFailureAndSendsNoCalibration) {
  // Every target touched at the same spot: all four points in one quadrant.
  for (int target = 1; target <= 4; ++target) Press(100, 100);
  Start();
  PollWhileRunning();
  EXPECT_EQ(Count("SetCalibrationState 5"), 4);
  EXPECT_EQ(CalibrationsSent(), 0);
  EXPECT_EQ(std::vector(view.shown.end() - 2, view.shown.end()),
            (std::vector<std::string>{"failure Incorrect Panel Direction! (00000000-00000000)\r\n\r\nPlease checkout "
                                      "the pinout of your touch panel.",
                                      "unload"}));
}

// The window closed while a target waits, or before the run began.
TEST_F(CalibrationRunTest, AbandonedRunEndsAsABreakAndNeverStartsAgain) {
  Start();
  run->Poll();
  run->Abandon();
  EXPECT_EQ(driver.requests.back(), "SetCalibrationState 4");
  EXPECT_FALSE(driver.polling);
  EXPECT_EQ(run->phase(), CalibrationRun::Phase::Over);

  CalibrationRun unstarted(view, driver);
  driver.requests.clear();
  unstarted.Abandon();
  unstarted.Start(CornerMethod);
  EXPECT_TRUE(driver.requests.empty());
  EXPECT_EQ(unstarted.phase(), CalibrationRun::Phase::Over);
}

TEST_F(CalibrationRunTest, WindowClosedDuringTheBreakQuestionLeavesTheRunOver) {
  view.answers = {false};
  view.duringQuestion = [this] { run->Abandon(); };
  Start();
  run->PressEsc();
  run->Poll();
  EXPECT_EQ(std::vector(view.shown.end() - 2, view.shown.end()), (std::vector<std::string>{"erase 1", "break?"}));
  EXPECT_EQ(std::vector(driver.requests.end() - 2, driver.requests.end()),
            (std::vector<std::string>{"SetCalibrationState 0", "SetCalibrationState 4"}));
  EXPECT_FALSE(driver.polling);
}

// The window, and the run with it, deleted while one of its boxes is open: nothing more is done.
class DeletedDuringABox : public CalibrationRunTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DeletedDuringABox, RunDoesNothingMore) {
  const std::string box = GetParam();
  view.answers = {true};
  view.duringQuestion = [&] {
    if (view.shown.back().rfind(box, 0) == 0) run.reset();
  };
  for (int target = 1; target <= 4; ++target) {
    if (box == "failure") Press(100, 100);
    else Take(PanelModel{1024, 768, 0}, target);
  }
  Start(Up(0), box == "refuse" ? 7 : CornerMethod);
  if (box == "break?") run->PressEsc();
  PollWhileRunning();
  ASSERT_EQ(run, nullptr);
  EXPECT_EQ(view.shown.back().rfind(box, 0), 0u) << view.shown.back();
}

INSTANTIATE_TEST_SUITE_P(Boxes, DeletedDuringABox, ::testing::Values("break?", "keep?", "failure", "refuse"));

}  // namespace
}  // namespace qx::test
