#include "programs/panel/drawing_pad.h"

#include <QMouseEvent>
#include <QPainter>

namespace qx {

namespace {

// Qt's button values are the suite's: left 1, right 2, middle 4.
int ButtonOf(const QMouseEvent* event) { return static_cast<int>(event->button()); }

}  // namespace

DrawingPad::DrawingPad(QWidget* parent, const char* name) : Canvas(parent, name, QColor(255, 255, 255)) {}

void DrawingPad::Dot(QPoint at) {
  QPainter painter(&image());
  painter.setPen(QPen(foreColor, drawWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPoint(at);
  current_ = at;
  update();
}

void DrawingPad::LineTo(QPoint at) {
  QPainter painter(&image());
  painter.setPen(QPen(foreColor, drawWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawLine(current_, at);
  current_ = at;
  update();
}

void DrawingPad::mousePressEvent(QMouseEvent* event) { emit ButtonDown(ButtonOf(event), event->position().toPoint()); }

void DrawingPad::mouseMoveEvent(QMouseEvent* event) { emit Moved(event->position().toPoint()); }

void DrawingPad::mouseReleaseEvent(QMouseEvent* event) { emit ButtonUp(ButtonOf(event), event->position().toPoint()); }

}  // namespace qx
