#include "programs/panel/field_bar.h"

#include <algorithm>

namespace qx {

FieldBar::FieldBar(ScrollBar* bar) : QObject(bar), bar_(bar) {
  connect(bar_, &ScrollBar::Change, this, [this] {
    Moved();
    emit Changed();
  });
  connect(bar_, &ScrollBar::Scroll, this, [this] {
    Moved();
    emit Scrolled();
  });
}

void FieldBar::Load(int value) {
  const int shown = std::clamp(value, bar_->minimum(), bar_->maximum());
  held_.reset();
  if (shown != value) held_ = value;
  loading_ = true;
  bar_->Load(shown);  // Changed(), whether the bar moves or not
  loading_ = false;
}

void FieldBar::Moved() {
  if (!loading_) held_.reset();
}

int FieldBar::Value() const { return held_ ? *held_ : bar_->value(); }

QString SignedText(int value) {
  return value < 0 ? QString::number(value) : QStringLiteral(" ") + QString::number(value);
}

}  // namespace qx
