#include "tests/programs/panel/calibration_fixture.h"

#include <cmath>

#include "core/settings_store.h"
#include "host/cursor.h"
#include "tests/support/finger.h"
#include "tests/support/journal.h"
#include "ui/pointer.h"

namespace qx::test {

namespace {

std::string FieldOf(const std::string& fields, const std::string& field) {
  const std::size_t at = fields.find(field + "=");
  if (at == std::string::npos) return "";
  return fields.substr(at, fields.find(' ', at) - at);
}

double Distance(std::pair<int, int> a, std::pair<int, int> b) {
  return std::hypot(a.first - b.first, a.second - b.second);
}

}  // namespace

void CalibrationTest::SetUp() {
  PanelTest::SetUp();
  InstallPointerHook();
}

void CalibrationTest::TearDown() {
  LiftFinger();
  if (Window()) Window()->close();  // a run left waiting gives the pointer back
  PanelTest::TearDown();
  SetCursorVisibilityHook({});
}

CalibrationWindow& CalibrationTest::Open(int mode, int w, int h, const std::string& fields) {
  width = w;
  height = h;
  WriteDword("CalibrationMode", mode);
  DeviceService::Qxctl("set ScreenWidth=" + std::to_string(w) + " ScreenHeight=" + std::to_string(h) + " " + fields);
  EXPECT_EQ(Start(), LoadResult::Ready);
  DeviceService::Qxctl("journal --clear");
  Main().CalibrationClick();
  // The window covers the test display once shown; then it is given the surface of the test.
  EXPECT_TRUE(QTest::qWaitForWindowExposed(Window()));
  Window()->resize(w, h);
  QCoreApplication::processEvents();
  EXPECT_EQ(Window()->size(), QSize(w, h));
  return *Window();
}

bool CalibrationTest::AwaitTarget(int target) {
  return WaitUntil(
      [&] { return Window() && Window()->phase() == Phase::AwaitTouch && Window()->CurrentPoint() == target; });
}

void CalibrationTest::Take(const PanelModel& panel, int target) {
  ASSERT_TRUE(AwaitTarget(target)) << "target " << target;
  const auto [px, py] = Cross(target, width, height);
  const auto [x, y] = panel.Raw(px, py);
  ASSERT_TRUE(PressFinger(x, y));
  ASSERT_TRUE(WaitUntil([&] { return !Window() || Window()->phase() != Phase::AwaitTouch; })) << "target " << target;
  ASSERT_TRUE(LiftFinger());
}

bool CalibrationTest::AwaitClosed() {
  return WaitUntil([&] { return !Window() && Main().isVisible(); });
}

void CalibrationTest::PressEsc() { QTest::keyClick(Window()->picCalibration, Qt::Key_Escape); }

std::vector<std::string> Requests() {
  std::vector<std::string> requests;
  for (const std::string& line : JournalLines()) {
    const auto [name, fields] = NameAndFields(line);
    std::string word = name;
    if (name == "Report" || name.rfind("Sim", 0) == 0) continue;
    if (name == "GetControllerInfo") continue;  // the main window's, whose calibration is in force now
    if (name == "SetCalibrationState") word += " " + fields.substr(fields.find('=') + 1);
    if (name == "SetTouchMode") word += " " + FieldOf(fields, "TouchMode") + " " + FieldOf(fields, "RbfAutoMode");
    if (name == "SetCalibration") word += " " + fields;
    if (word == "GetTouchSample" && !requests.empty() && requests.back() == word) continue;
    requests.push_back(word);
  }
  return requests;
}

std::vector<std::string> ReportsBeforeFirstTake() {
  std::vector<std::string> reports;
  for (const std::string& line : JournalLines()) {
    const auto [name, fields] = NameAndFields(line);
    if (name == "SetCalibrationState" && fields == "State=5") break;
    if (name == "Report" && fields.find("Touch=1") != std::string::npos)
      reports.push_back(FieldOf(fields, "X") + " " + FieldOf(fields, "Y"));
  }
  return reports;
}

void ExpectPointerFollows(const PanelModel& panel) {
  for (int target = 1; target <= 8; ++target) {
    const auto cross = Cross(target, panel.width, panel.height);
    const auto [x, y] = panel.Raw(cross.first, cross.second);
    const auto at = PointerAfterTouch(x, y);
    ASSERT_TRUE(at);
    EXPECT_LE(Distance(*at, cross), 3.0) << "cross " << target;
  }
  for (int i = 0; i <= 8; ++i) {
    for (int j = 0; j <= 6; ++j) {
      const std::pair spot{(panel.width - 1) * i / 8, (panel.height - 1) * j / 6};
      const auto [x, y] = panel.Raw(spot.first, spot.second);
      const auto at = PointerAfterTouch(x, y);
      ASSERT_TRUE(at);
      EXPECT_LE(Distance(*at, spot), 5.0) << "at " << spot.first << "," << spot.second;
    }
  }
}

}  // namespace qx::test
