#include "ui/window_ops.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <cmath>

#include "core/settings_block.h"
#include "platform/oem_branding.h"
#include "ui/twips.h"

namespace qx {

namespace {

QPointer<QWidget>& Main() {
  static QPointer<QWidget> main;
  return main;
}

}  // namespace

void SetMainWindow(QWidget* window) { Main() = window; }
QWidget* MainWindowWidget() { return Main().data(); }

void ShowMainWindow() {
  QWidget* main = MainWindowWidget();
  if (!main) return;
  main->show();
  main->raise();
  main->activateWindow();
  main->setFocus();
}

void CenterForm(QWidget* window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const int screenWidth = TwipsFromPixels(screen->geometry().width());
  const int screenHeight = TwipsFromPixels(screen->geometry().height());
  const int width = WidthTwips(window);
  const int height = HeightTwips(window);
  // 85 % of the height is taken (and rounded) before halving, so windows sit above the centre.
  const int upper = static_cast<int>(std::lrint(screenHeight * 0.85));
  const int left = screenWidth / 2 - width / 2;
  const int top = upper / 2 - height / 2;
  window->move(PixelsFromTwips(left), PixelsFromTwips(top));
}

void CenterIcon(QWidget* window) {
  QWidget* box = window->findChild<QWidget*>("picIcon");
  QWidget* image = box ? box->findChild<QWidget*>("imgIcon") : nullptr;
  if (!image) return;
  const QRect inner = box->contentsRect();
  const int top = (TwipsFromPixels(inner.height()) - HeightTwips(image)) / 2;
  const int left = (TwipsFromPixels(inner.width()) - WidthTwips(image)) / 2;
  image->move(inner.left() + PixelsFromTwips(left), inner.top() + PixelsFromTwips(top));
}

void PrepareDialog(QWidget* dialog) {
  const QWidget* main = MainWindowWidget();
  if (main) {
    const QLabel* mainSystem = main->findChild<QLabel*>("lblSystem");
    if (QLabel* system = dialog->findChild<QLabel*>("lblSystem"); system && mainSystem)
      system->setText(mainSystem->text());
    dialog->setWindowTitle(main->windowTitle());
  }
  ApplyDialogLogo(dialog, main);
  CenterForm(dialog);
  CenterIcon(dialog);
}

void SetMainLabel(const char* name, const std::string& text) {
  const QWidget* main = MainWindowWidget();
  if (QLabel* label = main ? main->findChild<QLabel*>(name) : nullptr)
    label->setText(QString::fromStdString(LabelCaption(text)));
}

}  // namespace qx
