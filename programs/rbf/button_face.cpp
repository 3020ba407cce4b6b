#include "programs/rbf/button_face.h"

#include <QPainter>
#include <QPainterPath>

namespace qx {

QPixmap ButtonFace() {
  QPixmap face(kButtonFaceSide, kButtonFaceSide);
  face.fill(Qt::transparent);
  QPainter p(&face);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF body(9.5, 3.5, 17, 29);
  QPainterPath outline;
  outline.addRoundedRect(body, 8, 8);
  p.fillPath(outline, Qt::white);
  // The right button, lit: the upper right quarter of the body.
  QPainterPath right;
  right.addRect(QRectF(18, 3.5, 9, 10));
  p.fillPath(outline.intersected(right), QColor(200, 0, 0));
  p.setPen(QPen(Qt::black, 1));
  p.drawPath(outline);
  p.drawLine(QPointF(9.5, 13.5), QPointF(26.5, 13.5));
  p.drawLine(QPointF(18, 3.5), QPointF(18, 13.5));
  return face;
}

}  // namespace qx
