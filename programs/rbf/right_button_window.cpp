#include "programs/rbf/right_button_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdio>
#include <utility>

#include "core/driver_link.h"
#include "host/message_box.h"
#include "programs/rbf/button_face.h"
#include "programs/rbf/rbf_program.h"
#include "programs/rbf/registration.h"
#include "ui/controls.h"
#include "ui/monitor_following.h"
#include "ui/suite_window.h"
#include "ui/twips.h"
#include "ui/window_placement.h"

namespace qx {

namespace {

constexpr int kButtonSide = 600;  // twips: 40 pixels
constexpr char kDesignCaption[] = "TouchScreen Right Button";

// Upper-case hexadecimal without leading zeros, of the value as a 32-bit number.
std::string Hex(std::uint64_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value & 0xFFFFFFFFu));
  return text;
}

}  // namespace

RightButtonWindow::RightButtonWindow()
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                           Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           UnmanagedOnXwayland()) {
  SetUpWindow(this, "frmMain", kButtonSide, kButtonSide);
  setWindowTitle(QString::fromUtf8(kDesignCaption));
  cmdAction = AddButton(this, "cmdAction", "", 0, 0, kButtonSide, kButtonSide);
  cmdAction->setAutoDefault(false);
  cmdAction->setIcon(ButtonFace());
  cmdAction->setIconSize(QSize(kButtonFaceSide, kButtonFaceSide));
  // The button has no caption; a screen reader reads the window's design caption for it.
  cmdAction->setAccessibleName(QString::fromUtf8(kDesignCaption));
  connect(cmdAction, &QPushButton::clicked, this, &RightButtonWindow::ActionClick);
}

LoadResult RightButtonWindow::Load() {
  setWindowTitle(QStringLiteral(" ") + QStringLiteral("C") + QStringLiteral("-RBF"));
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);
  Waiting = 0;
  SetLeftTwips(cmdAction, 0);
  SetTopTwips(cmdAction, 0);
  SetClientSizeTwips(this, WidthTwips(cmdAction), HeightTwips(cmdAction));
  Place();                                              // always on top: the window's flags
  FollowTouchscreenMonitor(this, [this] { Place(); });  // to its corner of the new monitor's work area

  if (!OpenDriver()) {
    ReportDriverMissing(kRightButtonProgram.title);
    return LoadResult::Failed;
  }
  const HWND own = WindowHandle(this);
  if (Register(own) == Registration::CopyShown) {
    CloseDriver();
    return LoadResult::CopyBrought;
  }
  registered_ = true;
  savedProc_ =
      SetWindowProc(own, [this](UINT msg, WPARAM wParam, LPARAM lParam) { return RBF_WndProc(msg, wParam, lParam); });
  show();
  return LoadResult::Ready;
}

void RightButtonWindow::Place() {
  if (!WindowsChooseTheirPlace()) {
    static bool told = false;  // once in the log, however often the button shows
    if (!std::exchange(told, true))
      std::fprintf(stderr,
                   "%s: this Wayland desktop places its windows itself, and no Xwayland (DISPLAY) is there: the "
                   "button stands where the desktop puts it, not in the lower-right corner\n",
                   kRightButtonProgram.name);
    return;
  }
  const QRect area = WorkAreaOn(WindowScreen());
  if (area.isEmpty()) return;  // no screen: where it is
  // A window's position is its frame's; before the window system framed it, the frame is the
  // inner size, and the window is placed again once the frame is known (event()).
  const QSize outer = frameGeometry().size();
  move(area.right() + 1 - outer.width(), area.bottom() + 1 - outer.height());
}

bool RightButtonWindow::event(QEvent* event) {
  const QEvent::Type type = event->type();
  if (!placedOnFrame_ && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
      frameGeometry().size() != size()) {
    placedOnFrame_ = true;
    Place();
  }
  return QWidget::event(event);
}

LRESULT RightButtonWindow::RBF_WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_USER) return savedProc_(msg, wParam, lParam);
  switch (wParam) {
    case RBF_HIDE: hide(); break;
    case RBF_SHOW:
      Place();  // a window system may have moved it, or the screens changed, while it was hidden
      show();
      break;
    case RBF_CLOSE: close(); break;
    default: {
      const std::string text =
          "RBF_WndProc Fail! wParam=" + Hex(wParam) + "h, lParam=" + Hex(static_cast<std::uint64_t>(lParam)) + "h";
      MessageBoxA(0, text.c_str(), kRightButtonProgram.title, MB_OK);
    }
  }
  return 0;
}

void RightButtonWindow::ActionClick() {
  if (Waiting) return;      // a click that reached the hidden button during a wait
  cmdAction->clearFocus();  // keys go to the window, where they cancel
  cmdAction->hide();
  RbfRecord.Armed = 1;
  SetRbfRegistration();
  Waiting = 1;
  // The service answers as soon as a touch has cleared the flag, or after a few milliseconds
  // (kRbfWaitHoldMs), so the wait costs next to nothing and takes the touch at once, and the
  // cancels and the other programs' messages are handled between two answers. A request that
  // fails (the driver is gone) ends the wait, as no touch could end it any more.
  bool answered = true;
  do {
    QCoreApplication::processEvents();
    WaitRbfDisarmed();
    answered = LastRequestResult != 0;
    QCoreApplication::processEvents();
  } while (RbfRecord.Armed != 0 && Waiting == 1 && answered);
  RbfRecord.Armed = 0;
  SetRbfRegistration();
  Waiting = 0;
  cmdAction->show();
  cmdAction->setFocus();
}

void RightButtonWindow::keyPressEvent(QKeyEvent* event) {
  if (!event->text().isEmpty()) Waiting = 0;
  QWidget::keyPressEvent(event);
}

void RightButtonWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) Waiting = 0;
  QWidget::mousePressEvent(event);
}

// Closed by RBF_CLOSE, WM_CLOSE or the close box: deregistered before the program ends.
void RightButtonWindow::closeEvent(QCloseEvent* event) {
  if (registered_ && !unloaded_) {
    unloaded_ = true;
    Waiting = 0;  // a wait under way ends, and disarms
    const HWND own = WindowHandle(this);
    Deregister(own);
    CloseDriver();
    SetWindowProc(own, savedProc_);
  }
  event->accept();
  QApplication::quit();
}

}  // namespace qx
