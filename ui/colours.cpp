#include "ui/colours.h"

namespace qx {

void SetTextColour(QWidget* control, const QColor& colour) {
  QPalette palette = control->palette();
  // Labels draw with WindowText, buttons, check boxes and option buttons with ButtonText or
  // WindowText depending on the style: set both.
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::ButtonText, colour);
  control->setPalette(palette);
}

QColor TextColour(const QWidget* control) { return control->palette().color(QPalette::WindowText); }

}  // namespace qx
