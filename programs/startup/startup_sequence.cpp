#include "programs/startup/startup_sequence.h"

#include "core/driver_link.h"
#include "core/settings_block.h"
#include "host/desktop.h"
#include "host/message_box.h"
#include "host/window_bus.h"
#include "platform/pause.h"
#include "platform/program_start.h"
#include "programs/startup/double_click_settings.h"

namespace qx {

namespace {

// The companion program reports the screen size itself; when it cannot be started, this program
// tells the driver the screen's size once.
void StartCompanionOrReportScreen() {
  if (StartSmiProgram()) return;
  Settings.ScreenWidth = static_cast<std::int16_t>(GetSystemMetrics(SM_CXSCREEN));
  Settings.ScreenHeight = static_cast<std::int16_t>(GetSystemMetrics(SM_CYSCREEN));
  SetScreenSize();
}

// A right-button program is started (hidden) when none is registered; one that was already
// running is hidden in the automatic mode, since the function then comes on by itself. A
// registration whose window is gone (its program was killed and never deregistered) is none: the
// function would otherwise stay without its program for the whole session.
void StartOrHideRightButton(const std::string& title) {
  if (!RbfProgramNeeded(Settings.TouchMode, Settings.RbfEnable, Settings.RbfAutoMode)) return;
  GetRbfRegistration();
  const bool wasRunning = RbfRecord.Window != -1 && IsWindow(RbfRecord.Window);
  if (!wasRunning && !StartRbfProgram()) ErrorBox("Fail to initialize Right Button Function!", title);
  if (Settings.RbfAutoMode == 1 && wasRunning) HideRbfWindow();
}

}  // namespace

StartupEnd RunStartupSequence(const std::string& title) {
  ApplyDoubleClickSettings(title);
  if (!OpenDriver()) {
    ReportDriverMissing(title);
    return StartupEnd::NoDriver;
  }
  GetSettings();
  if (Settings.ActivePort == 0) {
    ErrorBox("TouchScreen Controller Not Found!", title);
    CloseDriver();
    return StartupEnd::NoController;
  }
  StartCompanionOrReportScreen();
  StartOrHideRightButton(title);
  CloseDriver();
  Pause(1);
  return StartupEnd::Paused;
}

}  // namespace qx
