// Starting the suite's sibling programs from the installation folder, and the rule that only one
// copy of a program runs.
#pragma once

#include <string>

#include "host/win_types.h"

namespace qx {

inline constexpr char RBF_PROGRAM[] = "QXWMECrb.exe";
inline constexpr char SMI_PROGRAM[] = "QXWMECvr.exe";

// The programs' titles, each with its spaces exactly as shown.
inline constexpr char PANEL_TITLE[] = " TouchScreen Control Panel #QX-COM";
inline constexpr char STARTUP_TITLE[] = " TouchScreen System Startup #QX-COM";
inline constexpr char REMOVAL_TITLE[] = "TouchScreen Software Removal";
inline constexpr char INSTALL_TITLE[] = "TouchScreen Driver Installation";
inline constexpr char RBF_TITLE[] = " TouchScreen Right-Button #QX-COM";

// WinExec(InstallPath + "\" + name, SW_HIDE / SW_SHOWNORMAL); true when it returns 32 or more.
bool StartRbfProgram();
bool StartSmiProgram();

// Whether another process of PROGRAM (a name such as "QXWMECcp") already runs on this machine
// root. The first call takes a lock that this process then holds for its life, so the answer is
// known before this copy opens any window.
bool AnotherCopyRunning(const std::string& program);

// The other copy's top-level window whose title, as far as a 128-character buffer holds it,
// equals CAPTION exactly (case-sensitive); OWN, parented windows and windows with an instance
// word are skipped. 0 when there is none.
HWND FindCopyWindow(HWND own, const std::string& caption);

}  // namespace qx
