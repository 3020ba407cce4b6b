// The drawing area of the touch test window: a picture box that keeps what is drawn on it, with a
// pen (colour and width) and a current point, and that tells which mouse buttons go down and up
// over it and where the pointer moves while one is held. What is drawn when is the window's rule.
#pragma once

#include <QColor>
#include <QPoint>

#include "programs/panel/picture_box.h"

namespace qx {

class DrawingPad : public Canvas {
  Q_OBJECT
 public:
  DrawingPad(QWidget* parent, const char* name);

  QColor foreColor{0, 0, 0};
  int drawWidth = 1;

  // A dot of the pen at AT, which becomes the current point.
  void Dot(QPoint at);
  // A line of the pen from the current point to AT, which becomes the current point.
  void LineTo(QPoint at);

 signals:
  // BUTTON: 1 left, 2 right, 4 middle.
  void ButtonDown(int button, QPoint at);
  void Moved(QPoint at);
  void ButtonUp(int button, QPoint at);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPoint current_;
};

}  // namespace qx
