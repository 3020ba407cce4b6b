// Windows path text to files of the machine root. The suite builds its paths as Windows text
// ("InstallPath" + "\" + name); this is the one place that turns such a text into a file name.
#pragma once

#include <string>

namespace qx {

// "X:\a\b" is <root>/drive_x/a/b (the drive letter in lower case); "\a\b" is on drive C:, the
// system drive; a text that begins with "/" is a host path already, with every "\" read as "/";
// anything else is relative to the machine's current folder, which is always C:\ ("a\b" is
// <root>/drive_c/a/b, "..\..\x" is <root>/drive_c/x); "" stays "". ".." never climbs above a
// drive's top folder (as on Windows, "C:\..\x" is "C:\x"). Where a folder or file of the path exists under another
// letter case, that existing name is used, since Windows names do not regard case.
std::string HostPath(const std::string& windowsPath);

}  // namespace qx
