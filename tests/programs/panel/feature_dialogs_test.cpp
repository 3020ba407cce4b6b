// What the control panel's feature dialogs share, over every dialog at once: each bar reached and
// moved from the keyboard, an option chosen by any route, and an Apply the driver did not take.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QTest>
#include <cstring>
#include <functional>

#include "core/driver_link.h"
#include "programs/panel/feedback_sound_dialog.h"
#include "programs/panel/mouse_speed_dialog.h"
#include "programs/panel/sensitivity_dialog.h"
#include "programs/panel/sleep_time_dialog.h"
#include "programs/panel/virtual_button_dialog.h"
#include "tests/programs/panel/panel_fixture.h"
#include "tests/support/bars_by_keyboard.h"

namespace qx::test {
namespace {

using Opener = void (MainWindow::*)();

// The feature dialog on show.
FeatureDialog* ShownDialog() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<FeatureDialog*>(w); dialog && dialog->isVisible()) return dialog;
  return nullptr;
}

class FeatureDialogs : public PanelTest {
 protected:
  FeatureDialog& Open(const std::string& fields, Opener open) {
    StartWith(fields);
    (Main().*open)();
    FeatureDialog* dialog = ShownDialog();
    EXPECT_NE(dialog, nullptr);
    return *dialog;
  }
};

struct BarsCase {
  const char* name;
  const char* fields;  // the bars away from their ends
  Opener open;
  std::vector<std::string> bars;  // in the tab order
};

class EveryBar : public FeatureDialogs, public ::testing::WithParamInterface<BarsCase> {};

// Each bar of the dialog is reached by Tab, and its keys move it as a change of the person's:
// Apply comes on while it stands away from the stored value.
TEST_P(EveryBar, IsReachedByTabAndMovedByItsKeys) {
  FeatureDialog& d = Open(GetParam().fields, GetParam().open);
  EXPECT_EQ(BarsReachedByTab(d, [&] { EXPECT_TRUE(d.cmdApply->isEnabled()); }), GetParam().bars);
  EXPECT_FALSE(d.cmdApply->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, EveryBar,
    ::testing::Values(BarsCase{"MouseSpeed",
                               "SpeedH=8 SpeedV=12 Bypass=0",
                               &MainWindow::MouseSpeedClick,
                               {"hscMouseHSpeed", "hscMouseVSpeed"}},
                      BarsCase{"FeedbackSound",
                               "SoundTone=1500 SoundDuration=30",
                               &MainWindow::FeedbackSoundClick,
                               {"hscTone", "hscDuration"}},
                      BarsCase{"Sensitivity", "Sensitivity=64", &MainWindow::SensitivityClick, {"hscSensitivity"}},
                      BarsCase{"PowerSave", "PowerDownTime=15", &MainWindow::SleepTimeClick, {"hscSleepTime"}}),
    [](const auto& p) { return std::string(p.param.name); });

// An option chosen through a screen reader's action, or set by a program, is chosen as a click
// chooses it: OK then sends it.
struct OptionCase {
  const char* name;
  const char* fields;
  Opener open;
  const char* option;
  const char* request;
  const char* sent;
};

enum class Route { ScreenReader, Program };

class AnyRoute : public FeatureDialogs, public ::testing::WithParamInterface<std::tuple<OptionCase, Route>> {};

TEST_P(AnyRoute, AChosenOptionIsSentOnOk) {
  const auto& [c, route] = GetParam();
  FeatureDialog& d = Open(c.fields, c.open);
  auto* option = d.findChild<QRadioButton*>(c.option);
  ASSERT_NE(option, nullptr);
  if (route == Route::ScreenReader) {
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(option);
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(reader->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    reader->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  } else {
    option->toggle();
  }
  EXPECT_TRUE(option->isChecked());
  EXPECT_TRUE(d.cmdApply->isEnabled());
  QTest::mouseClick(d.cmdOK, Qt::LeftButton);
  EXPECT_EQ(Sent(c.request), std::vector<std::string>{c.sent});
}

INSTANTIATE_TEST_SUITE_P(
    Options, AnyRoute,
    ::testing::Combine(
        ::testing::Values(
            OptionCase{"FeedbackSound", "SoundMode=2 SoundTone=1500 SoundDuration=30", &MainWindow::FeedbackSoundClick,
                       "optFeedbackSound3", "SetFeedbackSound", "SoundMode=3 SoundTone=1500 SoundDuration=30"},
            OptionCase{"TouchMode", "TouchMode=1 RbfEnable=0 RbfAutoMode=0 RbfAutoSTime=2 RbfAutoETime=3 RbfAutoBeep=1",
                       &MainWindow::VirtualButtonClick, "optVirtualButton3", "SetTouchMode",
                       "TouchMode=3 RbfEnable=0 RbfAutoMode=0 RbfAutoSTime=2 RbfAutoETime=3 RbfAutoBeep=1"},
            // Off: nothing to start, and no right-button program registered to close.
            OptionCase{"RightButtonOff",
                       "TouchMode=1 RbfEnable=1 RbfAutoMode=0 RbfAutoSTime=2 RbfAutoETime=3 RbfAutoBeep=1",
                       &MainWindow::VirtualButtonClick, "optRBFunction0", "SetTouchMode",
                       "TouchMode=1 RbfEnable=0 RbfAutoMode=0 RbfAutoSTime=2 RbfAutoETime=3 RbfAutoBeep=1"},
            OptionCase{"Acceleration", "SpeedH=8 SpeedV=12 Bypass=0 Acceleration=1", &MainWindow::MouseSpeedClick,
                       "optAcceleration3", "SetMouseSpeed", "Bypass=0 SpeedH=8 SpeedV=12 Acceleration=3"}),
        ::testing::Values(Route::ScreenReader, Route::Program)),
    [](const auto& p) {
      return std::string(std::get<0>(p.param).name) +
             (std::get<1>(p.param) == Route::ScreenReader ? "ByScreenReader" : "ByProgram");
    });

// Apply with the service stopped: the request fails, and the person is told so while nothing
// claims otherwise (the block, the summary line and Apply as they were; OK does not close). Once
// the service runs again, Apply sends the same values.
struct ApplyCase {
  const char* name;
  const char* fields;
  Opener open;
  SummaryLine line;
  const char* request;
  std::function<void(FeatureDialog&)> change;
};

class ApplyNotTaken : public FeatureDialogs, public ::testing::WithParamInterface<ApplyCase> {};

TEST_P(ApplyNotTaken, LeavesEverythingAsItWasBehindTheDriversBox) {
  const ApplyCase& c = GetParam();
  FeatureDialog& d = Open(c.fields, c.open);
  c.change(d);
  ASSERT_TRUE(d.cmdApply->isEnabled());
  const SettingsBlock before = Settings;
  const QString summary = Main().SummaryLabel(c.line)->text();
  service.Stop();

  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(std::memcmp(&Settings, &before, sizeof(SettingsBlock)), 0);
  EXPECT_EQ(Main().SummaryLabel(c.line)->text(), summary);
  EXPECT_TRUE(d.cmdApply->isEnabled());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Fail to open QXWMECOM.vxd!");
  EXPECT_EQ(boxes.shown[0].type, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
  QTest::mouseClick(d.cmdOK, Qt::LeftButton);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(boxes.shown.size(), 2u);

  service.Start();
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Sent(c.request).size(), 1u);
  EXPECT_NE(Main().SummaryLabel(c.line)->text(), summary);
  EXPECT_FALSE(d.cmdApply->isEnabled());
  EXPECT_EQ(boxes.shown.size(), 2u);
}

template <typename Dialog>
std::function<void(FeatureDialog&)> Change(std::function<void(Dialog&)> change) {
  return [change](FeatureDialog& d) { change(static_cast<Dialog&>(d)); };
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, ApplyNotTaken,
    ::testing::Values(ApplyCase{"MouseSpeed", "SpeedH=8 SpeedV=12 Bypass=0 Acceleration=1",
                                &MainWindow::MouseSpeedClick, SummaryLine::MouseSpeed, "SetMouseSpeed",
                                Change<MouseSpeedDialog>([](auto& d) { d.hscMouseHSpeed->setValue(9); })},
                      ApplyCase{"FeedbackSound", "SoundMode=2", &MainWindow::FeedbackSoundClick,
                                SummaryLine::FeedbackSound, "SetFeedbackSound",
                                Change<FeedbackSoundDialog>([](auto& d) { d.optFeedbackSound->Button(3)->click(); })},
                      ApplyCase{"VirtualButton", "TouchMode=1 RbfEnable=0", &MainWindow::VirtualButtonClick,
                                SummaryLine::VirtualButton, "SetTouchMode",
                                Change<VirtualButtonDialog>([](auto& d) { d.optVirtualButton->Button(2)->click(); })},
                      ApplyCase{"Sensitivity", "Sensitivity=64", &MainWindow::SensitivityClick,
                                SummaryLine::Sensitivity, "SetSensitivity",
                                Change<SensitivityDialog>([](auto& d) { d.hscSensitivity->setValue(100); })},
                      ApplyCase{"PowerSave", "PowerDownTime=15", &MainWindow::SleepTimeClick, SummaryLine::SleepTime,
                                "SetPowerSave", Change<SleepTimeDialog>([](auto& d) { d.hscSleepTime->setValue(6); })}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace qx::test
