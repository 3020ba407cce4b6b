// The calibration window in the control panel's process against a real device service: whole runs
// with a finger held on each cross of a model panel, the answers to the boxes, Esc, the stability
// rule, the targets' pixels, and the run's end when the service dies or a finger never lifts.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <sstream>

#include "core/driver_link.h"
#include "core/settings_store.h"
#include "host/cursor.h"
#include "tests/programs/panel/calibration_fixture.h"
#include "tests/support/finger.h"
#include "tests/support/window_program.h"
#include "ui/qt_message_box.h"

namespace qx::test {
namespace {

constexpr char kRunTitle[] = "TouchScreen Calibration";
constexpr char kBreakQuestion[] = "Are you sure you want to break calibration?";

const QColor kRedPixel(255, 0, 0), kBlackPixel(0, 0, 0), kWhitePixel(255, 255, 255);

// The target's box on a W x H surface as the design draws it around the cross: 32 pixels from
// the left or top edge, 34 from the right or bottom edge, 17 before and 15 after a centre.
struct Box {
  int left, top, right, bottom;
};
Box BoxAround(int target, int w, int h) {
  const auto [x, y] = Cross(target, w, h);
  const auto span = [](int at, int size, int middle) {
    if (at == 15) return std::pair{0, 31};
    if (at == size - 18) return std::pair{size - 34, size - 1};
    return std::pair{middle - 17, middle + 15};
  };
  const auto [left, right] = span(x, w, x);
  const auto [top, bottom] = span(y, h, y);
  return {left, top, right, bottom};
}

// The target's pixels on a grab of the window: box red, cross black, the rest of the box and a
// ring around it white; all white once erased.
void ExpectTarget(const QImage& image, int target, int w, int h, bool drawn) {
  SCOPED_TRACE("target " + std::to_string(target) + (drawn ? " drawn" : " erased"));
  const Box b = BoxAround(target, w, h);
  const auto [cx, cy] = Cross(target, w, h);
  int wrong = 0;
  for (int x = b.left - 1; x <= b.right + 1; ++x) {
    for (int y = b.top - 1; y <= b.bottom + 1; ++y) {
      if (!image.rect().contains(x, y)) continue;
      const bool inside = x >= b.left && x <= b.right && y >= b.top && y <= b.bottom;
      const bool edge = inside && (x == b.left || x == b.right || y == b.top || y == b.bottom);
      // The cross is drawn over the box, from edge to edge.
      QColor want = kWhitePixel;
      if (drawn && inside && (x == cx || y == cy)) want = kBlackPixel;
      else if (drawn && edge) want = kRedPixel;
      if (image.pixelColor(x, y) != want && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << " is " << image.pixelColor(x, y).name().toStdString();
    }
  }
  EXPECT_EQ(wrong, 0) << image.width() << "x" << image.height();
}

std::string StoredCalibration(const SettingsBlock& b) {
  std::string text = "CalibrationData=";
  for (int i = 0; i < 6; ++i) text += (i ? "," : "") + std::to_string(b.CalibrationData[i]);
  return text + " CalibrationFlags=" + std::to_string(b.CalibrationFlags);
}

std::vector<std::string> Without(std::vector<std::string> requests, const std::string& name) {
  requests.erase(std::remove(requests.begin(), requests.end(), name), requests.end());
  return requests;
}

// The requests from the run's first on, its pause of the automatic right button. A finger put down
// before the panel starts gets its right click before the run when the start takes longer than
// Toggle On (1 s), as it may on a loaded machine: that click is the desktop's.
std::vector<std::string> RequestsOfTheRun() {
  std::vector<std::string> sent = Requests();
  sent.erase(sent.begin(), std::find(sent.begin(), sent.end(), "SetTouchMode TouchMode=4 RbfAutoMode=0"));
  return sent;
}

// A whole run by METHOD on a panel wired WIRING, each target checked on screen as it waits and
// once taken, Yes at the end; the requests in their order, and the pointer where touches land.
class CalibrationRun : public CalibrationTest,
                       public ::testing::WithParamInterface<std::tuple<CalibrationMethod, int, QSize>> {};

TEST_P(CalibrationRun, TargetsTakenOnThePanelPutThePointerWhereTouchesLand) {
  const auto [method, wiring, size] = GetParam();
  // The companion's rotation code out of range counts as 0, and is put right in the buffer.
  DeviceService::Qxctl("smi -1 5");
  CalibrationWindow& run = Open(method, size.width(), size.height());
  const PanelModel panel{size.width(), size.height(), wiring};
  const int first = FirstTarget(method);
  for (int target = first; target < first + 4; ++target) {
    ASSERT_TRUE(AwaitTarget(target));
    ExpectTarget(run.grab().toImage(), target, width, height, true);
    EXPECT_EQ(run.lblMesg2->text().toStdString(), std::string("show on the ") + TargetNames[target] + " of the screen");
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
    Take(panel, target);
    if (target < first + 3) ASSERT_TRUE(AwaitTarget(target + 1));
    else ASSERT_TRUE(AwaitClosed());
    if (Window()) ExpectTarget(run.grab().toImage(), target, width, height, false);
  }
  EXPECT_EQ(SmiRecord.RotationCode, 0);
  EXPECT_EQ(Settings.CalibrationFlags, wiring);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, kRunTitle);
  EXPECT_EQ(boxes.shown[0].text,
            "CALIBRATION IS COMPLETE.\r\rFor test, touch on the screen and check cursor position.\r"
            "To save new calibration, click Yes button.\rTo restore old calibration, click No button.");
  EXPECT_EQ(boxes.shown[0].type, MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL);
  const std::vector<std::string> expected = {
      "GetSettings",                             // read afresh: the screen may have changed
      "SetTouchMode TouchMode=4 RbfAutoMode=0",  // the automatic right button paused
      "GetSmiRegistration",
      "GetTouchSample",
      "SetCalibrationState 5",
      "GetTouchSample",
      "SetCalibrationState 5",
      "GetTouchSample",
      "SetCalibrationState 5",
      "GetTouchSample",
      "SetCalibrationState 5",
      "GetTouchSample",
      "SetCalibration " + StoredCalibration(Settings),
      "SetCalibrationState 0",
      "SetTouchMode TouchMode=4 RbfAutoMode=1",
  };
  EXPECT_EQ(Requests(), expected);
  ExpectPointerFollows(panel);
}

INSTANTIATE_TEST_SUITE_P(WiringsAndMethods, CalibrationRun,
                         ::testing::Combine(::testing::Values(CornerMethod, SideMethod), ::testing::Values(0, 1, 2, 4),
                                            ::testing::Values(QSize(1024, 768))));
INSTANTIATE_TEST_SUITE_P(OddSurface, CalibrationRun,
                         ::testing::Combine(::testing::Values(CornerMethod, SideMethod), ::testing::Values(7),
                                            ::testing::Values(QSize(801, 601))));

using CalibrationAnswers = CalibrationTest;

TEST_F(CalibrationAnswers, NoPutsTheOldValuesBackByteForByte) {
  MessageRecorder person({IDNO});
  DeviceService::Qxctl("set CalibrationData=40,500,980,60,510,990 CalibrationFlags=2");
  const std::string before = DeviceService::Qxctl("block");
  Open();
  const PanelModel panel{1024, 768, 0};
  for (int target = 1; target <= 4; ++target) Take(panel, target);
  ASSERT_TRUE(AwaitClosed());
  const std::vector<std::string> requests = Requests();
  EXPECT_EQ(DeviceService::Qxctl("block"), before);
  ASSERT_GE(requests.size(), 3u);
  EXPECT_EQ(requests[requests.size() - 3], "SetCalibrationState 0");
  EXPECT_EQ(requests[requests.size() - 2], "SetCalibration CalibrationData=40,500,980,60,510,990 CalibrationFlags=2");
  EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](auto& r) { return r.rfind("SetCalibration ", 0) == 0; }),
            2);
}

TEST_F(CalibrationAnswers, EscAnsweredNoRedrawsTheTargetAndTheRunGoesOn) {
  // The person sees the pointer while the question is open, and the target erased.
  std::vector<bool> pointerShown, targetShown;
  CalibrationWindow* shown = nullptr;
  const MessageBoxPresenter previous = SetMessageBoxPresenter([&](const std::string&, const std::string&, UINT) {
    pointerShown.push_back(QGuiApplication::overrideCursor() == nullptr);
    targetShown.push_back(shown->grab().toImage().pixelColor(Cross(2, 1024, 768).first, 15) == kBlackPixel);
    return pointerShown.size() == 1 ? IDNO : IDYES;
  });
  shown = &Open();
  const PanelModel panel{1024, 768, 0};
  Take(panel, 1);
  ASSERT_TRUE(AwaitTarget(2));
  PressEsc();
  ASSERT_TRUE(WaitUntil([&] { return pointerShown.size() == 1; }));
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
  ExpectTarget(shown->grab().toImage(), 2, 1024, 768, true);
  EXPECT_TRUE(shown->picMesg->isVisible());
  EXPECT_TRUE(shown->lblHelp->isVisible());
  for (int target = 2; target <= 4; ++target) Take(panel, target);
  ASSERT_TRUE(AwaitClosed());
  SetMessageBoxPresenter(previous);
  EXPECT_EQ(pointerShown, (std::vector<bool>{true, true}));
  EXPECT_EQ(targetShown, (std::vector<bool>{false, false}));
  const std::vector<std::string> requests = Requests();
  const std::vector<std::string> middle(requests.begin() + 3, requests.begin() + 9);
  EXPECT_EQ(middle, (std::vector<std::string>{"GetTouchSample", "SetCalibrationState 5", "GetTouchSample",
                                              "SetCalibrationState 0", "GetTouchSample", "SetCalibrationState 5"}));
}

TEST_F(CalibrationAnswers, EscAnsweredYesEndsTheRunAndKeepsTheCalibration) {
  MessageRecorder person({IDYES});
  const std::string before = DeviceService::Qxctl("block");
  Open();
  ASSERT_TRUE(AwaitTarget(1));
  PressEsc();
  ASSERT_TRUE(AwaitClosed());
  ASSERT_EQ(person.shown.size(), 1u);
  EXPECT_EQ(person.shown[0].text, kBreakQuestion);
  EXPECT_EQ(person.shown[0].caption, kRunTitle);
  EXPECT_EQ(person.shown[0].type, MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL | MB_DEFBUTTON2);
  // Whether a poll comes between depends on the moment the Esc is seen: after the target is drawn,
  // or while the panel is not touched.
  EXPECT_EQ(Without(Requests(), "GetTouchSample"),
            (std::vector<std::string>{"GetSettings", "SetTouchMode TouchMode=4 RbfAutoMode=0", "GetSmiRegistration",
                                      "SetCalibrationState 0", "SetCalibrationState 4",
                                      "SetTouchMode TouchMode=4 RbfAutoMode=1"}));
  EXPECT_EQ(DeviceService::Qxctl("block"), before);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(CalibrationAnswers, ClosedFromOutsideWhileATargetWaitsEndsAsABreak) {
  Open();
  ASSERT_TRUE(AwaitTarget(1));
  Window()->close();
  ASSERT_TRUE(AwaitClosed());
  const std::vector<std::string> requests = Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[requests.size() - 2], "SetCalibrationState 4");
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(CalibrationAnswers, UnrecognisedDirectionShowsItsBoxAndSendsNoCalibration) {
  CalibrationWindow& run = Open();
  // Every target touched at the same spot: all four points in one quadrant.
  ASSERT_TRUE(AwaitTarget(1));
  for (int target = 1; target <= 4; ++target) {
    ASSERT_TRUE(AwaitTarget(target));
    PressFinger(100, 100);
    ASSERT_TRUE(WaitUntil([&] { return run.phase() != CalibrationWindow::Phase::AwaitTouch; }));
    LiftFinger();
  }
  ASSERT_TRUE(AwaitClosed());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Touchscreen Calibration");
  EXPECT_EQ(boxes.shown[0].text,
            "Incorrect Panel Direction! (00000000-00000000)\r\n\r\nPlease checkout the pinout of your touch panel.");
  EXPECT_EQ(boxes.shown[0].type, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
  for (const std::string& r : Requests()) EXPECT_EQ(r.rfind("SetCalibration ", 0), std::string::npos) << r;
}

TEST_F(CalibrationAnswers, ModeOtherThanTheTwoListedIsRefused) {
  // Only a window opened past the main window's list can meet such a mode: the test sets the
  // program's mode after start-up, as no person could.
  ASSERT_EQ(Start(), LoadResult::Ready);
  DeviceService::Qxctl("journal --clear");
  CalibrationMode = 2;
  Main().CalibrationClick();
  ASSERT_TRUE(AwaitClosed());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, kPanelTitle);
  EXPECT_EQ(boxes.shown[0].text, "Fail to calibration! ( mode 2 not support )");
  EXPECT_EQ(boxes.shown[0].type, MB_OK | MB_SYSTEMMODAL);
  EXPECT_EQ(Requests(),
            (std::vector<std::string>{"GetSettings", "SetTouchMode TouchMode=4 RbfAutoMode=0", "GetSmiRegistration",
                                      "GetTouchSample", "SetTouchMode TouchMode=4 RbfAutoMode=1"}));
}

using CalibrationTouch = CalibrationTest;

TEST_F(CalibrationTouch, FingerDownAtTheStartIsWaitedForWithAYellowIndicator) {
  ASSERT_TRUE(PressFinger(500, 500));
  CalibrationWindow& run = Open();
  ASSERT_TRUE(WaitUntil([&] { return run.phase() == CalibrationWindow::Phase::AwaitLiftAtStart; }));
  QTest::qWait(50);
  EXPECT_EQ(run.phase(), CalibrationWindow::Phase::AwaitLiftAtStart);
  EXPECT_EQ(run.lblResolution->text(), "Resolution: 1024 X 768");
  EXPECT_EQ(run.lblMesg3->text(), "PLEASE LIFT OFF TO START CALIBRATION!");
  EXPECT_TRUE(run.lblMesg3->isVisible());
  EXPECT_FALSE(run.lblMesg1->isVisible());
  EXPECT_EQ(BackColour(run.picStat), kYellow);
  ExpectTarget(run.grab().toImage(), 1, 1024, 768, false);
  LiftFinger();
  ASSERT_TRUE(AwaitTarget(1));
  EXPECT_EQ(BackColour(run.picStat), kWhite);
  ExpectTarget(run.grab().toImage(), 1, 1024, 768, true);
  const std::vector<std::string> requests = RequestsOfTheRun();
  ASSERT_GE(requests.size(), 4u);
  EXPECT_EQ(std::vector(requests.begin(), requests.begin() + 4),
            (std::vector<std::string>{"SetTouchMode TouchMode=4 RbfAutoMode=0", "GetSmiRegistration", "GetTouchSample",
                                      "SetCalibrationState 3"}));
}

TEST_F(CalibrationTouch, LiftBeforeTheSecondReportWaitsForTheSameTargetAgain) {
  SetReportRate(1);  // one report a second: the finger lifts before its second report
  CalibrationWindow& run = Open();
  ASSERT_TRUE(AwaitTarget(1));
  PressFinger(100, 100);
  ASSERT_TRUE(WaitUntil([&] { return BackColour(run.picStat) == kYellow; }));
  LiftFinger();
  ASSERT_TRUE(WaitUntil([&] { return BackColour(run.picStat) == kWhite; }));
  EXPECT_EQ(run.phase(), CalibrationWindow::Phase::AwaitTouch);
  EXPECT_EQ(run.CurrentPoint(), 1);
  SetReportRate(100);
  Take(PanelModel{1024, 768, 0}, 1);
  EXPECT_TRUE(AwaitTarget(2));
}

TEST_F(CalibrationTouch, SteadyFingerIsTakenAtItsSecondReportAndAOneUnitMoveCountsAfresh) {
  SetReportRate(20);
  CalibrationWindow& run = Open();
  ASSERT_TRUE(AwaitTarget(1));
  PressFinger(100, 120);
  ASSERT_TRUE(WaitUntil([&] { return run.phase() == CalibrationWindow::Phase::AwaitLift; }));
  EXPECT_EQ(ReportsBeforeFirstTake(), (std::vector<std::string>{"X=100 Y=120", "X=100 Y=120"}));
  LiftFinger();
  ASSERT_TRUE(AwaitTarget(2));

  DeviceService::Qxctl("journal --clear");
  SetReportRate(5);  // 200 ms between reports: room to move before the second one
  PressFinger(900, 120);
  QTest::qWait(60);
  PressFinger(901, 120);
  ASSERT_TRUE(WaitUntil([&] { return run.phase() == CalibrationWindow::Phase::AwaitLift; }));
  EXPECT_EQ(ReportsBeforeFirstTake(), (std::vector<std::string>{"X=900 Y=120", "X=901 Y=120", "X=901 Y=120"}));
  EXPECT_EQ(run.points().PointX[2], 901);
}

// The run's Yes/No questions shown as the real boxes: Esc and the close box leave each open and
// answer nothing (Qt, left to itself, makes No their escape: the final question's No would
// restore the old calibration); the person's click answers.
struct QuestionCase {
  const char* name;
  bool afterTheTargets;  // the final question; else the break question, asked at the first target
};

class CalibrationQuestion : public CalibrationTest, public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(CalibrationQuestion, EscAndTheCloseBoxLeaveItOpenAndTheClickAnswers) {
  std::vector<std::string> asked;
  std::vector<bool> openAfterEsc;
  std::vector<int> calibrationsSent;
  auto countCalibrations = [] {
    const std::vector<std::string> requests = Requests();
    return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                          [](const std::string& r) { return r.rfind("SetCalibration ", 0) == 0; }));
  };
  const MessageBoxPresenter previous =
      SetMessageBoxPresenter([&](const std::string& text, const std::string& caption, UINT type) {
        asked.push_back(text);
        QTimer::singleShot(0, [&] {
          auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
          if (!box) return;
          QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Escape);
          box->close();
          QCoreApplication::processEvents();
          openAfterEsc.push_back(box->isVisible());
          calibrationsSent.push_back(countCalibrations());
          box->button(QMessageBox::Yes)->click();
        });
        return ShowQtMessageBox(text, caption, type);
      });
  Open();
  const PanelModel panel{1024, 768, 0};
  if (GetParam().afterTheTargets) {
    for (int target = 1; target <= 4; ++target) Take(panel, target);
  } else {
    ASSERT_TRUE(AwaitTarget(1));
    PressEsc();
  }
  ASSERT_TRUE(AwaitClosed());
  SetMessageBoxPresenter(previous);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].substr(0, 12), GetParam().afterTheTargets ? "CALIBRATION " : "Are you sure");
  EXPECT_EQ(openAfterEsc, std::vector<bool>{true});
  // The new calibration is in force while the question is open, and Yes keeps it: sent once.
  const int sent = GetParam().afterTheTargets ? 1 : 0;
  EXPECT_EQ(calibrationsSent, std::vector<int>{sent});
  EXPECT_EQ(countCalibrations(), sent);
}

INSTANTIATE_TEST_SUITE_P(Questions, CalibrationQuestion,
                         ::testing::Values(QuestionCase{"Break", false}, QuestionCase{"Keep", true}),
                         [](const auto& p) { return std::string(p.param.name); });

// A dead or stuck service leaves the last touched sample in place for ever; Esc still ends the
// run, within a second.
class CalibrationLostService : public CalibrationTest, public ::testing::WithParamInterface<int> {
 protected:
  void TearDown() override {
    if (GetParam() == SIGSTOP) kill(service.pid(), SIGCONT);
    unsetenv("QX_DEVICE_TIMEOUT_MS");
    CalibrationTest::TearDown();
  }
};

TEST_P(CalibrationLostService, EscStillEndsTheRunWithinASecond) {
  setenv("QX_DEVICE_TIMEOUT_MS", "300", 1);
  SetReportRate(1);
  MessageRecorder person({IDYES});
  CalibrationWindow& run = Open();
  ASSERT_TRUE(AwaitTarget(1));
  PressFinger(100, 100);
  ASSERT_TRUE(WaitUntil([&] { return BackColour(run.picStat) == kYellow; }));
  if (GetParam() == SIGKILL) service.Stop(SIGKILL);
  else kill(service.pid(), SIGSTOP);
  QTest::qWait(500);  // the stuck service's request has timed out by now
  const auto pressed = std::chrono::steady_clock::now();
  PressEsc();
  ASSERT_TRUE(WaitUntil([&] { return !Window(); }, 1000));
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(1));
  EXPECT_EQ(person.shown.size(), 1u);
  EXPECT_TRUE(Main().isVisible());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(DeadOrStuck, CalibrationLostService, ::testing::Values(SIGKILL, SIGSTOP));

TEST_F(CalibrationTouch, FingerThatNeverLiftsAtTheStartCanBeBrokenOff) {
  MessageRecorder person({IDYES});
  PressFinger(500, 500);
  CalibrationWindow& run = Open();
  ASSERT_TRUE(WaitUntil([&] { return run.phase() == CalibrationWindow::Phase::AwaitLiftAtStart; }));
  // Held past Toggle On (1 s after the press): once the run has paused the automatic right
  // button, no right click comes.
  QTest::qWait(1200);
  const auto pressed = std::chrono::steady_clock::now();
  PressEsc();
  ASSERT_TRUE(AwaitClosed());
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(1));
  EXPECT_EQ(Without(RequestsOfTheRun(), "GetTouchSample"),
            (std::vector<std::string>{"SetTouchMode TouchMode=4 RbfAutoMode=0", "GetSmiRegistration",
                                      "SetCalibrationState 3", "SetCalibrationState 0", "SetCalibrationState 4",
                                      "SetTouchMode TouchMode=4 RbfAutoMode=1"}));
}

TEST_F(CalibrationTouch, RightButtonProgramHidesForTheRunUnlessTheDriverPausesIt) {
  WindowProgram rbf("Right button", {"--log", root.path() + "/rbf.log"});
  MessageRecorder person({IDYES, IDYES});
  Open(CornerMethod, 1024, 768, "TouchMode=2 RbfEnable=1 RbfAutoMode=1");
  RbfRecord = {rbf.main(), 0, 0};
  SetRbfRegistration();
  ASSERT_TRUE(AwaitTarget(1));
  PressEsc();
  ASSERT_TRUE(AwaitClosed());
  // Opened before the registration: nothing to hide yet; closed: shown.
  EXPECT_EQ(ReadFile(root.path() + "/rbf.log"), "400 1001 0\n");

  DeviceService::Qxctl("journal --clear");
  Main().CalibrationClick();
  ASSERT_TRUE(AwaitTarget(1));
  PressEsc();
  ASSERT_TRUE(AwaitClosed());
  EXPECT_EQ(ReadFile(root.path() + "/rbf.log"), "400 1001 0\n400 1000 0\n400 1001 0\n");
  const std::vector<std::string> requests = Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0], "GetSettings");
  EXPECT_EQ(requests[1], "GetRbfRegistration");
  EXPECT_EQ(requests.back(), "GetRbfRegistration");
}

}  // namespace
}  // namespace qx::test
