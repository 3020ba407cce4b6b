// The colours the windows draw and write in, and the way to set a control's text colour.
#pragma once

#include <QColor>
#include <QWidget>

namespace qx {

inline const QColor kTeal(0, 128, 128);
inline const QColor kBlack(0, 0, 0);
inline const QColor kRed(255, 0, 0);
inline const QColor kBlue(0, 0, 255);
inline const QColor kGrey(128, 128, 128);
inline const QColor kYellow(255, 255, 0);
inline const QColor kWhite(255, 255, 255);
inline const QColor kLightGrey(192, 192, 192);

void SetTextColour(QWidget* control, const QColor& colour);
QColor TextColour(const QWidget* control);

}  // namespace qx
