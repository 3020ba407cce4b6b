// A control panel in this test process against a fresh machine root: the installation record in
// the registry, a real device service with a present controller, and the message boxes answered
// by a recorder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "programs/panel/main_window.h"
#include "tests/support/device_service.h"
#include "tests/support/installation.h"
#include "tests/support/journal.h"
#include "tests/support/message_recorder.h"
#include "tests/support/temp_root.h"
#include "ui/scroll_bar.h"

namespace qx::test {

// The control panel's caption, as a person reads it on its windows.
inline constexpr char kPanelTitle[] = " TouchScreen Control Panel #QX-COM";

// A bitmap of WIDTH x HEIGHT in the install folder.
void WriteInstallBitmap(const std::string& name, int width, int height);

// A screenshot program's start, once its QApplication is made, as the control panel starts (its
// face, its boxes, its title); the folder the pictures go to: the first argument, else ".".
QString StartAsTheControlPanel(int argc, char** argv);

// A button indicator of a window lit: its back colour yellow.
bool Lit(const QWidget* indicator);

// Drags BAR's thumb through POSITIONS and lets it go.
void DragThumb(ScrollBar* bar, std::initializer_list<int> positions);

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the main window and runs its start-up; shows it when it is ready.
  LoadResult Start();
  // Sets FIELDS in the controller ("SoundMode=1 SoundTone=200"), starts the panel and clears the
  // journal, so that what a test then finds there is what its dialog sent.
  void StartWith(const std::string& fields);
  MainWindow& Main() { return *window; }
  // Lets posted events (deferred deletes, shows) run.
  static void Settle();

  TempRoot root;
  DeviceService service;
  MessageRecorder boxes;
  std::unique_ptr<MainWindow> window;
};

}  // namespace qx::test
