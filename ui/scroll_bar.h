// A horizontal scroll bar with the two notifications the suite's dialogs are written against:
//   Change()  the value has changed: by the arrows, the track, the keyboard, the program, or at
//             the end of a drag of the thumb that moved it;
//   Scroll()  the value moves while the thumb is being dragged.
#pragma once

#include <QScrollBar>

namespace qx {

class ScrollBar : public QScrollBar {
  Q_OBJECT
 public:
  // MIN..MAX, SmallChange SMALL_STEP (arrows), LargeChange LARGE_STEP (track, Page Up/Down); it
  // takes the focus by Tab and by a click.
  ScrollBar(QWidget* parent, const char* name, int min, int max, int smallStep, int largeStep);

  // At load: the bar at VALUE (within its range), then Change() even when it did not move, so that
  // what follows the bar (its labels, the apply state) shows from the first display.
  void Load(int value);

 signals:
  void Change();
  void Scroll();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int valueAtPress_ = 0;
};

}  // namespace qx
