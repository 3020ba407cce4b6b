// Starting the suite's sibling programs from the installation folder.
#pragma once

namespace qx {

inline constexpr char RBF_PROGRAM[] = "QXWMECrb.exe";
inline constexpr char SMI_PROGRAM[] = "QXWMECvr.exe";

// WinExec(InstallPath + "\" + name, SW_HIDE / SW_SHOWNORMAL); true when it returns 32 or more.
bool StartRbfProgram();
bool StartSmiProgram();

}  // namespace qx
