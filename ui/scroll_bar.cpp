#include "ui/scroll_bar.h"

namespace qx {

ScrollBar::ScrollBar(QWidget* parent, const char* name, int min, int max, int smallStep, int largeStep)
    : QScrollBar(Qt::Horizontal, parent) {
  setObjectName(name);
  setRange(min, max);
  setSingleStep(smallStep);
  setPageStep(largeStep);
  setTracking(true);
  connect(this, &QScrollBar::sliderPressed, this, [this] { valueAtPress_ = value(); });
  connect(this, &QScrollBar::valueChanged, this, [this] {
    if (isSliderDown()) emit Scroll();
    else emit Change();
  });
  connect(this, &QScrollBar::sliderReleased, this, [this] {
    if (value() != valueAtPress_) emit Change();
  });
}

}  // namespace qx
