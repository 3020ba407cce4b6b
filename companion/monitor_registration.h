// The desktop's monitors as the companion tells the device service of them (SetMonitors): each
// screen's name, its EDID's maker, model and serial, where it lies in the desktop, its physical
// size, its RotationCode and whether it is the primary one. The service chooses the touchscreen's
// monitor among them and answers which.
#pragma once

#include <QList>

#include "core/driver_records.h"

class QScreen;

namespace qx::companion {

// The layout of SCREENS (at most kMonitors of them), PRIMARY marked.
MonitorLayout LayoutOf(const QList<QScreen*>& screens, const QScreen* primary);

// Registers LAYOUT with the service on the open driver; the service's answer, Chosen set, in
// LAYOUT. False when the service did not take it.
bool RegisterMonitors(MonitorLayout& layout);

}  // namespace qx::companion
