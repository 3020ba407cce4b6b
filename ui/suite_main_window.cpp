#include "ui/suite_main_window.h"

#include <QEvent>
#include <string>

#include "core/settings_store.h"
#include "host/message_box.h"
#include "host/window_bus_qt.h"
#include "platform/single_instance.h"
#include "ui/about_box.h"
#include "ui/boxes.h"
#include "ui/controls.h"
#include "ui/pointer.h"
#include "ui/suite_window.h"
#include "ui/title_area.h"
#include "ui/window_ops.h"

namespace qx {

SuiteMainWindow::SuiteMainWindow(const char* systemCaption, int widthTwips, int heightTwips, Qt::WindowFlags flags)
    : QWidget(nullptr, flags), systemCaption_(systemCaption) {
  SetUpWindow(this, "frmMain", widthTwips, heightTwips);
  const int iconLeft = widthTwips - kMargin - kIconSize;
  lblSystem = AddTitleArea(this, kMargin, kMargin, iconLeft - 2 * kMargin, kIconSize).lblSystem;
  lblSystem->setText(QString::fromUtf8(systemCaption_));
  imgIcon = AddIconBox(this, iconLeft, kMargin, kIconSize);
  imgIcon->installEventFilter(this);
}

std::optional<LoadResult> SuiteMainWindow::BeginLoad(const ProgramInfo& program, Copies copies, RecordFailureBox box,
                                                     const std::function<void()>& beforeRecord) {
  SetMainWindow(this);
  setWindowTitle(QString::fromUtf8(program.title));
  lblSystem->setText(QString::fromUtf8(systemCaption_) + QString::fromUtf8(program.version));
  const std::string title = windowTitle().toStdString();

  if (copies == Copies::One && AnotherCopyRunning(program.name)) {
    if (BringCopyForward(WindowHandle(this), title)) return LoadResult::CopyBrought;
    ErrorBox("Application is running!\r\rPlease find and select the running window from Taskbar.", title);
    return LoadResult::Failed;
  }

  if (beforeRecord) beforeRecord();
  const bool loaded = [] {
    Hourglass busy;
    return LoadInstallation();
  }();
  if (loaded) return std::nullopt;
  const char text[] = "Fail to load data from Register File!";
  if (box == RecordFailureBox::Error) ErrorBox(text, title);
  else OkBox(text, title);
  return LoadResult::Failed;
}

void SuiteMainWindow::AboutClick() { OpenWindow(frmAbout, this); }

bool SuiteMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == imgIcon && event->type() == QEvent::MouseButtonDblClick) {
    AboutClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace qx
