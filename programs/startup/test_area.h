// The double-click dialog's test area: the picture box "picTest" with two images at one place,
// "imgOFF" (a lamp that is off, on near-white) and "imgON" (the lamp lit, on blue). A double-click
// on the image that shows puts up the other; the window system recognises the double-click with
// the desktop's current time, so the person tries out the values in force.
#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>

namespace qx {

inline const QColor kTestOffColour(250, 250, 250);
inline const QColor kTestOnColour(0, 0, 255);

class TestArea : public QFrame {
  Q_OBJECT
 public:
  // Placed in twips within PARENT.
  TestArea(QWidget* parent, int left, int top, int width, int height);

  // Both images at the same place, in the middle of the inner area.
  void CenterImages();
  // imgOFF shown and enabled, imgON hidden and disabled, near-white: the first state.
  void ShowOff();
  // imgON shown and enabled, imgOFF hidden and disabled, blue.
  void ShowOn();

  bool IsOn() const { return imgON->isVisible(); }
  QColor Colour() const;

  QLabel* imgON = nullptr;
  QLabel* imgOFF = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Paint(const QColor& colour);
};

}  // namespace qx
