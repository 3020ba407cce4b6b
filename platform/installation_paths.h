// The folders of the installation record as the installer, the startup program and the uninstaller
// use them: the programs they start and the files they edit lie in the installation folder
// ("InstallPath") and the Windows folder ("WindowsPath"), so both must be folders on the machine's
// drives. A record naming a host folder ("/tmp/x") would have them run and edit files outside the
// machine root: it is refused.
#pragma once

#include <string>

namespace qx {

// True when the loaded "InstallPath" and "WindowsPath" are Windows paths (on the machine's drives).
// Otherwise shows, for the first that is not, an OK box with the error icon captioned TITLE:
// "The installation folder "/tmp/x" (InstallPath) is not on the machine's drives!" (the Windows
// folder likewise), and returns false.
bool InstallationPathsOnTheDrives(const std::string& title);

}  // namespace qx
