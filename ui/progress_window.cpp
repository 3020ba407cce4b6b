#include "ui/progress_window.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "host/program_state.h"
#include "ui/controls.h"
#include "ui/pointer.h"
#include "ui/suite_window.h"
#include "ui/title_area.h"
#include "ui/twips.h"
#include "ui/window_ops.h"
#include "ui/window_program.h"

namespace qx {

namespace {

// The window's design size and the icon's, in twips; the message wraps within its width.
constexpr int kWidth = 5400;
constexpr int kIconTwips = 480;
constexpr int kMessageLeft = kIconTwips + 2 * kMargin + kMargin;
constexpr int kMessageWidth = kWidth - kMessageLeft - 2 * kMargin;

QPointer<ProgressWindow>& Shown() {
  static QPointer<ProgressWindow> window;
  return window;
}

const ProgramState kProgressState([] { CloseProgress(); });

}  // namespace

ProgressWindow::ProgressWindow()
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  SetUpWindow(this, "frmMessage", kWidth, 2 * kIconTwips);
  setWindowTitle(QString::fromUtf8(ProgramTitle()));
  imgMsg = AddLabel(this, "imgMsg", "", 2 * kMargin, 0, kIconTwips, kIconTwips);
  imgMsg->setPixmap(ProgramIcon().scaled(PixelsFromTwips(kIconTwips), PixelsFromTwips(kIconTwips), Qt::KeepAspectRatio,
                                         Qt::SmoothTransformation));
  imgMsg->setAccessibleName(QString());
  lblMsg = AddLabel(this, "lblMsg", "", kMessageLeft, 0, kMessageWidth);
  lblMsg->setWordWrap(true);
}

void ProgressWindow::SetMessage(const std::string& text) {
  const QString message = QString::fromStdString(text);
  lblMsg->setText(message);
  lblMsg->setAccessibleName(message);
  // The label is as tall as its wrapped text.
  const int labelHeight = TwipsFromPixels(lblMsg->heightForWidth(PixelsFromTwips(kMessageWidth)));
  PlaceTwips(lblMsg, kMessageLeft, 0, kMessageWidth, labelHeight);
  const int iconHeight = HeightTwips(imgMsg);
  int height = 2 * iconHeight;
  if (labelHeight > height) height = labelHeight + iconHeight / 2;
  SetClientSizeTwips(this, kWidth, height);
  SetTopTwips(imgMsg, height / 2 - iconHeight / 2);
  SetTopTwips(lblMsg, height / 2 - labelHeight / 2);
}

void ShowProgress(const std::string& text) {
  ProgressWindow* window = Shown();
  if (!window) Shown() = window = new ProgressWindow;
  window->SetMessage(text);
  BusyPointer(kHourglassPointer);
  CenterForm(window);
  BusyPointer(kDefaultPointer);
  window->show();
  window->raise();
  // Painted now, while the caller keeps the event loop waiting: the window system gets the window
  // and its picture, and no click or key of the person is taken meanwhile.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  window->repaint();
}

void CloseProgress() {
  if (ProgressWindow* window = Shown()) {
    window->close();  // deletes it
    Shown() = nullptr;
  }
}

ProgressWindow* ShownProgressWindow() { return Shown(); }

}  // namespace qx
