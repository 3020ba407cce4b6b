// Which desktop pointer the service drives (`qxwmecomd --pointer auto|x11|uinput|none`): the one
// asked for, or with `auto` the first that can be had: uinput when the suite's pointer device can
// be had (device/uinput_pointer), else the X server of DISPLAY when it has XTest, else none. On a Wayland session
// (host/desktop.h) that X server is Xwayland, whose pointer only X11 programs' windows follow: the
// output's description ends in "(x11 on a Wayland session: X11 windows only)".
#pragma once

#include <memory>
#include <string>

#include "core/settings_block.h"
#include "device/journal.h"
#include "device/pointer_output.h"
#include "device/screen_placement.h"

namespace qx {

// The output of CHOICE ("auto", "x11", "uinput" or "none") for SCREEN placed at PLACEMENT,
// journalling to JOURNAL (all outlive it). Nothing, with the reason in ERROR, when the output asked for by name cannot
// be had at all (x11 without DISPLAY, uinput without its device) or CHOICE is none of
// those; an X server that cannot be reached yet is tried again.
std::unique_ptr<PointerOutput> ChoosePointerOutput(const std::string& choice, const SettingsBlock& screen,
                                                   const ScreenPlacement& placement, Journal& journal,
                                                   std::string& error);

}  // namespace qx
