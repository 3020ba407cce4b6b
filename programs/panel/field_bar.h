// A field of the SettingsBlock edited on a scroll bar whose range may not hold what the block
// holds (a tone of 9999 on a 200..5000 bar). The bar then stands at its nearest end, while the
// field's value stays the block's until the person moves the bar: the dialog shows the block's
// value, its Apply stays disabled, and nothing the person did not choose is ever written.
#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "ui/scroll_bar.h"

namespace qx {

class FieldBar : public QObject {
  Q_OBJECT
 public:
  explicit FieldBar(ScrollBar* bar);
  ScrollBar* bar() const { return bar_; }

  // At load: the bar at VALUE (or its nearest end), then Changed() even when the bar did not
  // move, so that the value labels show from the first display.
  void Load(int value);
  // The value the dialog would write: the loaded one while the bar stands in for it, else the bar's.
  int Value() const;

 signals:
  void Changed();   // the bar's Change, or a Load
  void Scrolled();  // the bar's Scroll: its thumb is being dragged

 private:
  void Moved();

  ScrollBar* bar_;
  std::optional<int> held_;  // a loaded value beyond the bar's range, until the bar moves
  bool loading_ = false;
};

// A number as the suite's labels write it with room for the sign: " 63", "-3".
QString SignedText(int value);

}  // namespace qx
