#include "ui/scroll_bar.h"

#include <QKeyEvent>

namespace qx {

ScrollBar::ScrollBar(QWidget* parent, const char* name, int min, int max, int smallStep, int largeStep)
    : QScrollBar(Qt::Horizontal, parent) {
  setObjectName(name);
  setRange(min, max);
  setSingleStep(smallStep);
  setPageStep(largeStep);
  setTracking(true);
  // A bar is reached by Tab and moved by the arrows (SmallChange) and Page Up/Down (LargeChange),
  // for a person without a mouse: QScrollBar takes no focus by default.
  setFocusPolicy(Qt::StrongFocus);
  connect(this, &QScrollBar::sliderPressed, this, [this] { valueAtPress_ = value(); });
  connect(this, &QScrollBar::valueChanged, this, [this] {
    if (isSliderDown()) emit Scroll();
    else emit Change();
  });
  connect(this, &QScrollBar::sliderReleased, this, [this] {
    if (value() != valueAtPress_) emit Change();
  });
}

// The keys of a horizontal scroll bar: Left and Up a small change down, Right and Down a small
// change up, Page Up and Page Down a large change, Home and End its ends. (Qt's scroll bar turns
// its arrows round, as a vertical bar scrolls: Left would move it up.)
void ScrollBar::keyPressEvent(QKeyEvent* event) {
  SliderAction action = SliderNoAction;
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: action = SliderSingleStepSub; break;
    case Qt::Key_Right:
    case Qt::Key_Down: action = SliderSingleStepAdd; break;
    case Qt::Key_PageUp: action = SliderPageStepSub; break;
    case Qt::Key_PageDown: action = SliderPageStepAdd; break;
    case Qt::Key_Home: action = SliderToMinimum; break;
    case Qt::Key_End: action = SliderToMaximum; break;
    default: break;
  }
  if (action == SliderNoAction || (event->modifiers() & ~Qt::KeypadModifier)) {
    QScrollBar::keyPressEvent(event);
    return;
  }
  triggerAction(action);
  event->accept();
}

void ScrollBar::Load(int value) {
  const int before = this->value();
  setValue(value);  // reports Change() when the bar moves
  if (this->value() == before) emit Change();
}

}  // namespace qx
