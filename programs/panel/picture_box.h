// The picture boxes of the control panel's full-screen windows (calibration and touch test):
// plain boxes filled with a colour, a box that keeps what is drawn on it, the fonts of their
// labels, and the way such a window covers the screen.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include "ui/colours.h"

namespace qx {

// A window without border or caption that covers the suite's screen (WindowScreen); its size is free to change
// (the windows lay themselves out at every resize).
inline constexpr Qt::WindowFlags kFullScreenFlags = Qt::Window | Qt::FramelessWindowHint;
void CoverScreen(QWidget* window);

// WIDGET's background filled with COLOUR; an invalid colour makes it transparent again.
void SetBackColour(QWidget* widget, const QColor& colour);
// The colour it is filled with; invalid while it is transparent.
QColor BackColour(const QWidget* widget);

// A picture box without border: a child of PARENT named NAME, filled with COLOUR.
QWidget* AddPictureBox(QWidget* parent, const char* name, const QColor& colour);

// CONTROL's font: POINTS in FAMILY (the program's face when null), bold or not.
void SetControlFont(QWidget* control, double points, bool bold, const char* family = nullptr);

// A picture box in pixel units that keeps what is drawn on it: an image the size of the box,
// painted whenever the box is exposed. Growing the box adds background around what was drawn.
class Canvas : public QWidget {
 public:
  Canvas(QWidget* parent, const char* name, const QColor& background);

  // Draw on it, then call update() so that it shows.
  QImage& image() { return image_; }
  const QImage& image() const { return image_; }
  // Everything drawn is erased.
  void Clear();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QColor background_;
  QImage image_;
};

}  // namespace qx
