// The machine root: the one folder that holds everything Windows would keep on its disk
// (registry, drive_c/, run/, device/). Several roots never see each other. What lives where, its
// modes, and what the machine's tools refuse in it: docs/machine-root.md.
#pragma once

#include <string>

namespace qx {

// QX_ROOT, else ${XDG_DATA_HOME:-$HOME/.local/share}/qx-com. No trailing slash.
std::string MachineRoot();

// Makes DIR the root of this process and of every process it starts (through QX_ROOT).
void SetMachineRoot(const std::string& dir);

// <root>/run, created on demand: what lives only while the machine runs.
std::string RunDir();

// Whether the root and its run/, where they exist, are this user's own and closed to others'
// writing: another user who could write there could rename the sockets away and put their own in
// their place. When not, says which and why on stderr after "PROGRAM: ", and returns false.
bool RootIsOwn(const char* program);

// Creates DIR and its missing parents, each 0700 whatever the umask; true when it exists afterwards.
bool MakeDirs(const std::string& dir);

}  // namespace qx
