#include "programs/panel/picture_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "ui/window_placement.h"

namespace qx {

void CoverScreen(QWidget* window) {
  // The window base gives every window a fixed size; these windows take the screen's.
  window->setMinimumSize(0, 0);
  window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  // A window full screen already (on a monitor the touchscreen has left) is shown afresh: neither a
  // window manager nor a Wayland compositor moves a full-screen window to where it is asked, and
  // Qt's Wayland windows name their output only as they are shown.
  const bool shown = window->isVisible();
  if (shown) window->hide();
  if (QScreen* screen = WindowScreen()) {
    window->setScreen(screen);  // where a window system that places windows itself puts it full-screen
    window->setGeometry(screen->geometry());
  }
  window->setWindowState(Qt::WindowFullScreen);
  if (shown) window->show();
  // Once shown, asked to be the active window there: on a desktop whose other monitor has the
  // keyboard, Esc would not reach it otherwise.
  QTimer::singleShot(0, window, [window] {
    window->raise();
    window->activateWindow();
  });
}

void SetBackColour(QWidget* widget, const QColor& colour) {
  if (!colour.isValid()) {
    widget->setAutoFillBackground(false);
    return;
  }
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

QColor BackColour(const QWidget* widget) {
  return widget->autoFillBackground() ? widget->palette().color(QPalette::Window) : QColor();
}

QWidget* AddPictureBox(QWidget* parent, const char* name, const QColor& colour) {
  auto* box = new QWidget(parent);
  box->setObjectName(name);
  SetBackColour(box, colour);
  return box;
}

void SetControlFont(QWidget* control, double points, bool bold, const char* family) {
  QFont font = control->font();
  if (family) font.setFamily(QString::fromUtf8(family));
  font.setPointSizeF(points);
  font.setBold(bold);
  control->setFont(font);
}

Canvas::Canvas(QWidget* parent, const char* name, const QColor& background) : QWidget(parent), background_(background) {
  setObjectName(name);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void Canvas::Clear() {
  image_.fill(background_);
  update();
}

void Canvas::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), image_, event->rect());
}

void Canvas::resizeEvent(QResizeEvent*) {
  if (image_.size() == size()) return;
  QImage grown(size(), QImage::Format_RGB32);
  grown.fill(background_);
  if (!image_.isNull()) {
    QPainter painter(&grown);
    painter.drawImage(0, 0, image_);
  }
  image_ = std::move(grown);
}

}  // namespace qx
