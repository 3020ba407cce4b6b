#include "ui/window_ops.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <cmath>

#include "host/program_state.h"
#include "ui/monitor_following.h"
#include "ui/oem_branding.h"
#include "ui/title_area.h"
#include "ui/twips.h"
#include "ui/window_placement.h"

namespace qx {

namespace {

QPointer<QWidget>& Main() {
  static QPointer<QWidget> main;
  return main;
}

const ProgramState kMainWindowState([] { Main() = nullptr; });

// A window placed before the window system framed it was centred on its inner size; once its frame
// is known (after it is first shown), it is centred again on its outer size, once.
class FrameWatch : public QObject {
 public:
  static constexpr char kName[] = "qxFrameWatch";
  explicit FrameWatch(QWidget* window) : QObject(window), window_(window) {
    setObjectName(kName);
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (watched == window_ && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
        window_->frameGeometry().size() != window_->size()) {
      window_->removeEventFilter(this);
      deleteLater();
      CenterForm(window_);
    }
    return false;
  }

 private:
  QWidget* window_;
};

void RecentreWhenFramed(QWidget* window) {
  if (!window->isWindow() || window->findChild<QObject*>(FrameWatch::kName, Qt::FindDirectChildrenOnly)) return;
  new FrameWatch(window);
}

}  // namespace

void SetMainWindow(QWidget* window) { Main() = window; }
QWidget* MainWindowWidget() { return Main().data(); }

void ShowMainWindow() { ShowAgain(MainWindowWidget()); }

void ShowAgain(QWidget* window) {
  if (!window) return;
  window->show();
  window->raise();
  window->activateWindow();
  window->setFocus();
}

// On the touchscreen's monitor, so that a finger on the panel reaches the window; centred there
// again whenever that monitor changes while the window shows.
void CenterForm(QWidget* window) {
  FollowTouchscreenMonitor(window, [window] { CenterForm(window); });
  const QScreen* screen = WindowScreen();
  if (!screen) return;
  const int screenWidth = TwipsFromPixels(screen->geometry().width());
  const int screenHeight = TwipsFromPixels(screen->geometry().height());
  // The window's outer size, its frame included (as far as the window system has told it yet).
  const QSize outer = window->frameGeometry().size();
  const int width = TwipsFromPixels(outer.width());
  const int height = TwipsFromPixels(outer.height());
  // 85 % of the height is taken (and rounded) before halving, so windows sit above the centre.
  const int upper = static_cast<int>(std::lrint(screenHeight * 0.85));
  const int left = screenWidth / 2 - width / 2;
  const int top = upper / 2 - height / 2;
  // A window's position is its frame's.
  window->move(screen->geometry().topLeft() + QPoint(PixelsFromTwips(left), PixelsFromTwips(top)));
  if (outer == window->size()) RecentreWhenFramed(window);
}

void CenterIcon(QWidget* window) {
  QWidget* box = window->findChild<QWidget*>(kPicIcon);
  QWidget* image = box ? box->findChild<QWidget*>(kImgIcon) : nullptr;
  if (!image) return;
  const QRect inner = box->contentsRect();
  const int top = (TwipsFromPixels(inner.height()) - HeightTwips(image)) / 2;
  const int left = (TwipsFromPixels(inner.width()) - WidthTwips(image)) / 2;
  image->move(inner.left() + PixelsFromTwips(left), inner.top() + PixelsFromTwips(top));
}

void PrepareDialog(QWidget* dialog) {
  const QWidget* main = MainWindowWidget();
  if (main) {
    const QLabel* mainSystem = FindTitleArea(main).lblSystem;
    if (QLabel* system = FindTitleArea(dialog).lblSystem; system && mainSystem) system->setText(mainSystem->text());
    dialog->setWindowTitle(main->windowTitle());
  }
  ApplyDialogLogo(dialog, main);
  CenterForm(dialog);
  CenterIcon(dialog);
}

}  // namespace qx
