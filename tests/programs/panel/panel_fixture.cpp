#include "tests/programs/panel/panel_fixture.h"

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "core/driver_link.h"
#include "core/registry_access.h"
#include "core/settings_store.h"
#include "host/paths.h"
#include "host/program_state.h"
#include "programs/panel/panel_program.h"
#include "programs/panel/picture_box.h"
#include "ui/colours.h"
#include "ui/oem_branding.h"
#include "ui/window_ops.h"
#include "ui/window_program.h"

namespace qx::test {

QString StartAsTheControlPanel(int argc, char** argv) {
  InitWindowProgram();
  SetProgramTitle(kControlPanel.title);
  return argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
}

void WriteInstallBitmap(const std::string& name, int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(QColor(255, 255, 192));
  ASSERT_TRUE(picture.save(QString::fromStdString(HostPath(std::string(kInstallPath) + "\\" + name)), "BMP"));
}

bool Lit(const QWidget* indicator) { return BackColour(indicator) == kYellow; }

void DragThumb(ScrollBar* bar, std::initializer_list<int> positions) {
  bar->setSliderDown(true);
  for (int p : positions) bar->setSliderPosition(p);
  bar->setSliderDown(false);
}

void PanelTest::SetUp() {
  ResetProgramState();  // as a fresh process would start
  WriteInstallation();
}

void PanelTest::TearDown() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != window.get()) w->deleteLater();
  Settle();
  if (window) window->close();  // unload: closes the driver
  window.reset();
  ResetProgramState();
}

LoadResult PanelTest::Start() {
  window = std::make_unique<MainWindow>();
  const LoadResult result = window->Load();
  if (result == LoadResult::Ready) window->show();
  return result;
}

void PanelTest::StartWith(const std::string& fields) {
  if (!fields.empty()) DeviceService::Qxctl("set " + fields);
  ASSERT_EQ(Start(), LoadResult::Ready);
  DeviceService::Qxctl("journal --clear");
}

void PanelTest::Settle() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

}  // namespace qx::test
