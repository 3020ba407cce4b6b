#include "companion/companion_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "companion/companion_program.h"
#include "companion/monitor_registration.h"
#include "companion/rotation_code.h"
#include "companion/smi_registration.h"
#include "core/driver_link.h"
#include "host/message_box.h"

namespace qx::companion {

CompanionWindow::CompanionWindow(std::optional<int> fixedRotation)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), fixedRotation_(fixedRotation) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QString::fromUtf8(kCaption));
  lblScreen = new QLabel(this);
  lblScreen->setObjectName(QStringLiteral("lblScreen"));
  // What the window is for, to a person who finds it on the desktop after every log-on.
  lblAbout = new QLabel(QStringLiteral("Keeps touches and the calibration in step with this desktop's screens.\n"
                                       "It needs no attention: minimize it, or Close it until the next log-on."),
                        this);
  lblAbout->setObjectName(QStringLiteral("lblAbout"));
  lblAbout->setAccessibleName(lblAbout->text());
  cmdClose = new QPushButton(QStringLiteral("&Close"), this);
  cmdClose->setObjectName(QStringLiteral("cmdClose"));
  cmdClose->setAccessibleName(QStringLiteral("Close"));
  cmdClose->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblAbout);
  layout->addWidget(lblScreen);
  layout->addWidget(cmdClose, 0, Qt::AlignRight);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

CompanionWindow::~CompanionWindow() { Unregister(); }

bool CompanionWindow::Start() {
  if (!OpenDriver()) {
    ReportDriverMissing(kCaption);
    return false;
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  if (fixedRotation_) rotationCode_ = static_cast<std::int16_t>(*fixedRotation_);
  else if (screen) rotationCode_ = ScreenRotationCode(*screen);
  const HWND own = WindowHandle(this);
  if (!Register(own, rotationCode_)) {
    ErrorBox("Fail to register with QXWMECOM.vxd!", kCaption);
    CloseDriver();
    return false;
  }
  registered_ = true;
  savedProc_ = SetWindowProc(own, [this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    // Closed before the answer goes back, so the sender finds the registration gone.
    if (msg == WM_USER && wParam == SMI_CLOSE) {
      close();
      return 0;
    }
    return savedProc_(msg, wParam, lParam);
  });
  connect(qApp, &QGuiApplication::primaryScreenChanged, this, &CompanionWindow::MonitorsChanged);
  connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* added) {
    Watch(added);
    MonitorsChanged();
  });
  connect(qApp, &QGuiApplication::screenRemoved, this, &CompanionWindow::MonitorsChanged);
  for (QScreen* each : QGuiApplication::screens()) Watch(each);
  screen_ = screen;
  RegisterMonitors();
  return true;
}

void CompanionWindow::Watch(QScreen* screen) {
  connect(screen, &QScreen::geometryChanged, this, &CompanionWindow::MonitorsChanged);
  connect(screen, &QScreen::orientationChanged, this, &CompanionWindow::MonitorsChanged);
  connect(screen, &QScreen::physicalSizeChanged, this, &CompanionWindow::MonitorsChanged);
}

// A change comes as several signals at once (a screen added moves the others): registered once,
// when they are all in.
void CompanionWindow::MonitorsChanged() {
  if (monitorsDue_) return;
  monitorsDue_ = true;
  QMetaObject::invokeMethod(this, &CompanionWindow::RegisterMonitors, Qt::QueuedConnection);
}

// The service derives the size and the turn of the touchscreen's monitor from the layout: the
// companion tells it nothing else of the screens, so that the kept size changes once, to the
// chosen monitor's.
void CompanionWindow::RegisterMonitors() {
  monitorsDue_ = false;
  if (!registered_) return;
  const QList<QScreen*> screens = QGuiApplication::screens();
  QScreen* primary = QGuiApplication::primaryScreen();
  screen_ = primary;
  if (OnADisplay(primary)) {
    MonitorLayout layout = LayoutOf(screens, primary);
    if (fixedRotation_)
      for (MonitorInfo& m : layout.Monitors) m.RotationCode = static_cast<std::int16_t>(*fixedRotation_);
    if (companion::RegisterMonitors(layout) && layout.Chosen >= 0 && layout.Chosen < screens.size()) {
      screen_ = screens[layout.Chosen];
      rotationCode_ = layout.Monitors[layout.Chosen].RotationCode;
    }
  }
  ShowState();
}

// The offscreen platform, started with no screen named to it, makes one up (800 x 800, without a
// name): there is no display, and the service is better told nothing than that size.
bool CompanionWindow::OnADisplay(const QScreen* screen) {
  return screen && !(QGuiApplication::platformName() == QLatin1String("offscreen") && screen->name().isEmpty());
}

void CompanionWindow::ShowState() {
  const QSize size = screen_ ? screen_->geometry().size() : QSize();
  lblScreen->setText(
      OnADisplay(screen_)
          ? QStringLiteral("Screen %1 x %2, RotationCode %3").arg(size.width()).arg(size.height()).arg(rotationCode_)
          : QStringLiteral("No display, RotationCode %1").arg(rotationCode_));
  lblScreen->setAccessibleName(lblScreen->text());
}

void CompanionWindow::Unregister() {
  if (!registered_) return;
  registered_ = false;
  Deregister(WindowHandle(this));
  CloseDriver();
  // The procedure stays: it may be the caller (SMI_CLOSE), and a closed window has nothing to undo.
}

void CompanionWindow::closeEvent(QCloseEvent* event) {
  Unregister();
  event->accept();
  QApplication::quit();
}

}  // namespace qx::companion
