// The uninstaller's window in this test process against a fresh machine root: the suite
// installed by the real install-suite (with the real unins000), a real device service, boxes
// answered by a recorder, pauses on a clock that jumps, and the restart made to fail so that it
// shows a box instead of ending this process.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/pause.h"
#include "programs/uninstall/removal_window.h"
#include "tests/support/device_service.h"
#include "tests/support/message_recorder.h"
#include "tests/support/suite_installation.h"
#include "tests/support/temp_root.h"
#include "ui/progress_window.h"

namespace qx::test {

inline constexpr char kRemovalTitle[] = "TouchScreen Software Removal";
inline constexpr char kRestartFailed[] = "Fail to restart system! (ExitWindowsEx=0)";

// A pause clock that jumps to the end of every wait at once, and keeps the waits asked for with
// the progress window's message at the time ("" when none was shown).
class JumpingClock : public PauseClock {
 public:
  double Now() override { return now_; }
  void RunEvents(double seconds) override {
    waits.push_back(seconds);
    const ProgressWindow* progress = ShownProgressWindow();
    shown.push_back(progress && progress->isVisible() ? progress->lblMsg->text().toStdString() : "");
    now_ += seconds;
  }
  std::vector<double> waits;
  std::vector<std::string> shown;

 private:
  double now_ = 0;
};

class RemovalTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Installs the suite with install-suite; false (and a failure) when it did not.
  bool Install();
  // Makes the window, runs its start-up and shows it when it is ready.
  LoadResult Start();
  RemovalWindow& Window() { return *window; }
  // Presses Yes as a person would; returns when the removal has ended.
  void PressYes();
  // Puts a script in place of the installed package uninstaller.
  void ReplacePackageUninstaller(const std::string& script);
  // The boxes' texts, in order.
  std::vector<std::string> BoxTexts() const;
  std::string Installed(const std::string& file) const { return root.path() + kInstalledFolder + "/" + file; }
  std::string Wininit() const { return ReadFile(root.path() + kWindowsFolder + "/WININIT.INI"); }

  TempRoot root;
  DeviceService service;
  MessageRecorder boxes;
  JumpingClock clock;
  std::string build = root.path() + "/build";
  std::unique_ptr<RemovalWindow> window;
};

}  // namespace qx::test
