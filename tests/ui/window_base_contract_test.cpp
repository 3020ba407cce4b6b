// The contract every window opened from a main window keeps (SuiteDialog, OpenWindow), and the
// one every feature dialog keeps (FeatureDialog), shown on small windows of this test's own.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>

#include "core/driver_link.h"
#include "tests/ui/main_window_stand_in.h"
#include "ui/controls.h"
#include "ui/feature_dialog.h"
#include "ui/suite_window.h"

namespace qx {
namespace {

class PlainWindow : public SuiteDialog {
 public:
  PlainWindow() : SuiteDialog("frmPlain", 3000, 1500) { ++built; }
  void Load() override { ++loads; }
  static inline int built = 0;
  int loads = 0;
};

// One field: the check box edits Settings.Bypass; its request is counted.
class BypassDialog : public FeatureDialog {
 public:
  BypassDialog() : FeatureDialog("frmBypass", 4200, 2700) {
    chkBypass = AddCheckBox(this, "chkBypass", "Bypass", kMargin, kContentTop, 2000);
    connect(chkBypass, &QCheckBox::toggled, this, [this] { UpdateApply(); });
  }
  QCheckBox* chkBypass = nullptr;
  int sent = 0;

 protected:
  void LoadFields() override { chkBypass->setChecked(Settings.Bypass != 0); }
  bool Differs() const override { return Settings.Bypass != (chkBypass->isChecked() ? 1 : 0); }
  void WriteFields() override { Settings.Bypass = chkBypass->isChecked() ? 1 : 0; }
  // A request the driver takes.
  void SendRequest() override {
    ++sent;
    LastRequestResult = TRUE;
  }
};

class WindowBase : public test::MainWindowStandIn {
 protected:
  static void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
  // Opens the dialog afresh, checks the main window hid, runs CLOSE on it, and checks that the
  // dialog is gone and the main window back.
  template <typename W>
  void OpenAndClose(const std::function<void(W&)>& close, const char* how) {
    SCOPED_TRACE(how);
    QPointer<W> window;
    OpenWindow(window, main.get());
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(main->isVisible());
    close(*window);
    Settle();
    EXPECT_TRUE(window.isNull()) << "a closed window is destroyed, so the next opening loads afresh";
    EXPECT_TRUE(main->isVisible());
  }
};

TEST_F(WindowBase, OpenWindowBuildsAndLoadsOnceAndRaisesTheOpenOne) {
  main->show();
  PlainWindow::built = 0;
  QPointer<PlainWindow> window;
  PlainWindow* first = OpenWindow(window, main.get());
  EXPECT_EQ(OpenWindow(window, main.get()), first);
  EXPECT_EQ(PlainWindow::built, 1);
  EXPECT_EQ(first->loads, 1);
  EXPECT_EQ(first->objectName(), "frmPlain");
  EXPECT_EQ(first->size(), QSize(200, 100));
  EXPECT_FALSE(first->windowIcon().isNull());
  EXPECT_FALSE(first->isModal());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // the hourglass went with the opening
  first->close();
}

TEST_F(WindowBase, EveryWayOfClosingBringsTheMainWindowBack) {
  main->show();
  OpenAndClose<PlainWindow>([](PlainWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }, "Esc");
  OpenAndClose<PlainWindow>([](PlainWindow& w) { w.accept(); }, "accept");
  OpenAndClose<PlainWindow>([](PlainWindow& w) { w.reject(); }, "reject");
  OpenAndClose<PlainWindow>([](PlainWindow& w) { w.close(); }, "the close box");
  OpenAndClose<BypassDialog>([](BypassDialog& d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); }, "OK");
  OpenAndClose<BypassDialog>([](BypassDialog& d) { QTest::mouseClick(d.cmdCandel, Qt::LeftButton); }, "Cancel");
  OpenAndClose<BypassDialog>([](BypassDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, "Esc");
  OpenAndClose<BypassDialog>([](BypassDialog& d) { d.close(); }, "the close box");
}

TEST_F(WindowBase, AWindowOpenedFromADialogReturnsToThatDialogOrElseToTheMainWindow) {
  main->show();
  QPointer<PlainWindow> dialog;
  QPointer<PlainWindow> inner;
  OpenWindow(dialog, main.get());
  OpenWindow(inner, dialog.data());
  EXPECT_FALSE(dialog->isVisible());
  QTest::keyClick(inner, Qt::Key_Escape);
  Settle();
  EXPECT_TRUE(inner.isNull());
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(main->isVisible()) << "only the opener comes back";

  // The opener is gone by the time the inner window closes: nothing is left hidden.
  OpenWindow(inner, dialog.data());
  delete dialog.data();
  inner->close();
  Settle();
  EXPECT_TRUE(main->isVisible());
}

class FeatureDialogContract : public WindowBase {
 protected:
  BypassDialog& Open() {
    OpenWindow(dialog, main.get());
    return *dialog;
  }
  QPointer<BypassDialog> dialog;
};

TEST_F(FeatureDialogContract, LoadsFromTheBlockAndIsPreparedLikeTheMainWindow) {
  Settings.Bypass = 1;
  BypassDialog& d = Open();
  EXPECT_TRUE(d.chkBypass->isChecked());
  EXPECT_EQ(d.windowTitle(), " Main caption");
  EXPECT_EQ(FindTitleArea(&d).lblSystem->text(), "Program Version 7.0.COM");
  EXPECT_EQ(d.cmdOK->text(), "&OK");
  EXPECT_EQ(d.cmdCandel->text(), "&Cancel");
  EXPECT_EQ(d.cmdApply->text(), "&Apply");
  EXPECT_TRUE(d.cmdOK->isDefault());
  EXPECT_FALSE(d.cmdApply->isEnabled());
  d.close();
}

TEST_F(FeatureDialogContract, ApplyWritesSendsSignalsAndDisablesItself) {
  Settings.Bypass = 0;
  BypassDialog& d = Open();
  QSignalSpy applied(&d, &FeatureDialog::Applied);
  d.chkBypass->setChecked(true);
  EXPECT_TRUE(d.cmdApply->isEnabled());
  d.chkBypass->setChecked(false);
  EXPECT_FALSE(d.cmdApply->isEnabled()) << "back to the block's value";
  d.chkBypass->setChecked(true);
  QTest::mouseClick(d.cmdApply, Qt::LeftButton);
  EXPECT_EQ(Settings.Bypass, 1);
  EXPECT_EQ(d.sent, 1);
  EXPECT_EQ(applied.count(), 1);
  EXPECT_FALSE(d.cmdApply->isEnabled());
  d.close();
}

TEST_F(FeatureDialogContract, OkAppliesOnlyWhenApplyIsEnabledAndCancelKeepsWhatWasApplied) {
  Settings.Bypass = 0;
  BypassDialog& first = Open();
  first.chkBypass->setChecked(true);
  int sent = 0;
  QObject::connect(&first, &FeatureDialog::Applied, [&] { ++sent; });
  QTest::mouseClick(first.cmdOK, Qt::LeftButton);
  Settle();
  EXPECT_EQ(sent, 1);
  EXPECT_EQ(Settings.Bypass, 1);

  BypassDialog& second = Open();
  QObject::connect(&second, &FeatureDialog::Applied, [&] { ++sent; });
  QTest::mouseClick(second.cmdOK, Qt::LeftButton);  // nothing pending: nothing sent
  Settle();
  EXPECT_EQ(sent, 1);

  BypassDialog& third = Open();
  third.chkBypass->setChecked(false);
  QTest::mouseClick(third.cmdApply, Qt::LeftButton);
  third.chkBypass->setChecked(true);
  QTest::mouseClick(third.cmdCandel, Qt::LeftButton);
  Settle();
  EXPECT_EQ(Settings.Bypass, 0) << "applied values stay, pending ones go";
}

}  // namespace
}  // namespace qx
