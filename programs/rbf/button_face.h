// The picture on the right-button program's button: a mouse with its right button pressed.
#pragma once

#include <QPixmap>

namespace qx {

inline constexpr int kButtonFaceSide = 36;  // pixels

QPixmap ButtonFace();

}  // namespace qx
