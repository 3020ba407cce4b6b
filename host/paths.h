// Windows path text to files of the machine root. The suite builds its paths as Windows text
// ("InstallPath" + "\" + name); this is the one place that turns such a text into a file name.
#pragma once

#include <string>

namespace qx {

// "X:\a\b" is <root>/drive_x/a/b (the drive letter in lower case); "\a\b" is on drive C:, the
// system drive; a text that begins with "/" is a host path already and passes unchanged (a "\" in
// it is part of a name: a person may have one in a folder's name); anything else is relative to
// the machine's current folder, which is always C:\ ("a\b" is <root>/drive_c/a/b, "..\..\x" is
// <root>/drive_c/x); "" stays "". ".." never climbs above a drive's top folder (as on Windows,
// "C:\..\x" is "C:\x"). Where a folder or file of the path exists under another letter case,
// that existing name is used, since Windows names do not regard case.
std::string HostPath(const std::string& windowsPath);

// Whether PATH is a Windows path, which HostPath maps into one of the root's drives: anything but
// a host path. A path the suite takes from the registry or a list must be one before it is used.
bool OnTheDrives(const std::string& path);

}  // namespace qx
