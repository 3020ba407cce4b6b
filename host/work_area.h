// The desktop's work area: SystemParametersInfoA(SPI_GETWORKAREA), the primary screen less the
// panels and docks the window system keeps. Served from the window system (library qx_host_qt),
// so only a program with windows has a work area.
#pragma once

#include "host/win_types.h"

namespace qx {

inline constexpr UINT SPI_GETWORKAREA = 48;

// Pixels; right and bottom lie just past the area, as Win32 has them.
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

// SPI_GETWORKAREA fills the RECT at PV_PARAM. FALSE for any other action, for a null PV_PARAM,
// and when there is no screen (no QApplication).
BOOL SystemParametersInfoA(UINT action, UINT param, void* pvParam, UINT winIni);

}  // namespace qx
