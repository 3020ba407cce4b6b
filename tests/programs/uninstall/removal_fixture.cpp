#include "tests/programs/uninstall/removal_fixture.h"

#include <sys/stat.h>

#include <QApplication>
#include <QTest>

#include "host/program_state.h"
#include "programs/uninstall/uninstall_program.h"
#include "tests/support/right_button_programs.h"
#include "ui/window_program.h"

namespace qx::test {

void RemovalTest::SetUp() {
  ResetProgramState();  // as a fresh process would start
  SetProgramTitle(kUninstaller.title);
  WriteFile(root.path() + "/run/failing-calls", "ExitWindowsEx\n");
  MakeBuildFolder(build);
}

void RemovalTest::TearDown() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != window.get()) w->deleteLater();
  QApplication::processEvents();
  window.reset();
  EndRightButtonPrograms();  // one a failed test left running
  ResetProgramState();
  SetProgramTitle("");
}

bool RemovalTest::Install() {
  const RunResult result = InstallSuite(build);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  return result.exitCode == 0;
}

LoadResult RemovalTest::Start() {
  window = std::make_unique<RemovalWindow>();
  window->SetPauseClock(clock);
  const LoadResult result = window->Load();
  if (result == LoadResult::Ready) window->show();
  return result;
}

void RemovalTest::PressYes() { QTest::mouseClick(window->cmdYes, Qt::LeftButton); }

void RemovalTest::ReplacePackageUninstaller(const std::string& script) {
  const std::string path = Installed("unins000.exe");
  std::remove(path.c_str());
  WriteFile(path, "#!/bin/sh\n" + script + "\n");
  chmod(path.c_str(), 0755);
}

std::vector<std::string> RemovalTest::BoxTexts() const {
  std::vector<std::string> texts;
  for (const ShownBox& box : boxes.shown) texts.push_back(box.text);
  return texts;
}

}  // namespace qx::test
