// setup_screenshots DIR: the installer's progress window as QXWMECdi shows it while it works, for
// a look by eye, saved as DIR/frmMessage.png. Meant for a (virtual) X display:
// scripts/setup-screenshots, which also takes the real installer with a box over that window.
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "programs/setup/setup_program.h"
#include "tests/support/screen_picture.h"
#include "tests/support/temp_root.h"
#include "ui/progress_window.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: setup_screenshots DIR\n");
    return 64;
  }
  qx::test::TempRoot root;
  QApplication app(argc, argv);
  qx::InitWindowProgram();
  qx::SetProgramTitle(qx::kSetupProgram.title);
  qx::ShowProgress("Setup is updating your system...");
  qx::test::SaveScreen(QString::fromLocal8Bit(argv[1]), "frmMessage");
  qx::CloseProgress();
  return 0;
}
