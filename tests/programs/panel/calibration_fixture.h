// The control panel in this test process with its calibration window open against a real device
// service, and a person's finger on a model panel laid over the window.
#pragma once

#include <QTest>
#include <string>
#include <vector>

#include "programs/panel/calibration_window.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/panel_model.h"

namespace qx::test {

class CalibrationTest : public PanelTest {
 protected:
  using Phase = CalibrationWindow::Phase;

  void SetUp() override;
  void TearDown() override;

  // Starts the panel with the device's FIELDS and the registry's calibration MODE, clears the
  // journal, presses Calibration and gives the window a W x H surface (the device's screen size
  // is set to the same).
  CalibrationWindow& Open(int mode = 0, int w = 1024, int h = 768, const std::string& fields = "");
  CalibrationWindow* Window() { return Main().frmCalibration.data(); }

  template <typename Condition>
  static bool WaitUntil(Condition condition, int ms = 5000) {
    return QTest::qWaitFor(condition, ms);
  }
  bool AwaitTarget(int target);
  // A finger on TARGET's cross of PANEL until the target is taken, then lifted.
  void Take(const PanelModel& panel, int target);
  // Waits until the window has closed and the main window is back.
  bool AwaitClosed();

  // Esc on the calibration surface.
  void PressEsc();

  int width = 1024, height = 768;
};

// The requests since the journal was cleared, each with the fields that tell them apart
// ("SetCalibrationState 5", "SetTouchMode TouchMode=4 RbfAutoMode=0", "SetCalibration
// CalibrationData=… CalibrationFlags=…"); each run of polls is one "GetTouchSample", the
// controller's reports and the simulator's requests are left out.
std::vector<std::string> Requests();
// The touch reports ("X=… Y=…") since the journal was cleared, up to the first SetCalibrationState 5.
std::vector<std::string> ReportsBeforeFirstTake();

// After a calibration run on PANEL: touches at every cross of both layouts put the simulated
// pointer within 3 pixels of it, touches on a grid over the whole screen within 5.
void ExpectPointerFollows(const PanelModel& panel);

}  // namespace qx::test
