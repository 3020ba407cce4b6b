#include "programs/startup/test_area.h"

#include <QEvent>
#include <QPainter>

#include "ui/twips.h"

namespace qx {

namespace {

constexpr int kLampSize = 32;  // pixels

// A lamp: its glass (grey when off, yellow and with rays when lit) over a screw base.
QPixmap LampPicture(bool lit) {
  QPixmap picture(kLampSize, kLampSize);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  if (lit) {
    p.setPen(QPen(QColor(255, 255, 0), 1.5));
    p.drawLine(QPointF(16, 0.5), QPointF(16, 3));
    p.drawLine(QPointF(4, 5), QPointF(6.5, 7.5));
    p.drawLine(QPointF(28, 5), QPointF(25.5, 7.5));
    p.drawLine(QPointF(0.5, 14), QPointF(3.5, 14));
    p.drawLine(QPointF(31.5, 14), QPointF(28.5, 14));
  }
  p.setPen(QPen(QColor(64, 64, 64), 1));
  p.setBrush(lit ? QColor(255, 255, 0) : QColor(192, 192, 192));
  p.drawEllipse(QRectF(8.5, 5.5, 15, 15));
  p.setBrush(QColor(128, 128, 128));
  p.drawRect(QRectF(12.5, 20.5, 7, 7));
  p.drawLine(QPointF(12.5, 23), QPointF(19.5, 23));
  p.drawLine(QPointF(12.5, 25.5), QPointF(19.5, 25.5));
  p.drawRect(QRectF(14.5, 27.5, 3, 2));
  return picture;
}

QLabel* AddImage(QWidget* parent, const char* name, bool lit) {
  auto* image = new QLabel(parent);
  image->setObjectName(name);
  image->setAccessibleName(QString::fromUtf8(name));
  image->setPixmap(LampPicture(lit));
  image->adjustSize();
  return image;
}

}  // namespace

TestArea::TestArea(QWidget* parent, int left, int top, int width, int height) : QFrame(parent) {
  setObjectName("picTest");
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setAutoFillBackground(true);
  PlaceTwips(this, left, top, width, height);
  imgOFF = AddImage(this, "imgOFF", false);
  imgON = AddImage(this, "imgON", true);
  imgOFF->installEventFilter(this);
  imgON->installEventFilter(this);
}

void TestArea::CenterImages() {
  const QRect inner = contentsRect();
  for (QLabel* image : {imgON, imgOFF})
    image->move(inner.left() + (inner.width() - image->width()) / 2,
                inner.top() + (inner.height() - image->height()) / 2);
}

void TestArea::ShowOff() {
  imgOFF->setVisible(true);
  imgOFF->setEnabled(true);
  imgON->setVisible(false);
  imgON->setEnabled(false);
  Paint(kTestOffColour);
}

void TestArea::ShowOn() {
  imgOFF->setVisible(false);
  imgOFF->setEnabled(false);
  imgON->setVisible(true);
  imgON->setEnabled(true);
  Paint(kTestOnColour);
}

QColor TestArea::Colour() const { return palette().color(QPalette::Window); }

void TestArea::Paint(const QColor& colour) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colour);
  setPalette(colours);
}

bool TestArea::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (watched == imgOFF) ShowOn();
    if (watched == imgON) ShowOff();
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace qx
