// What Windows does with C:\WINDOWS\WININIT.INI as it starts: the lines of its "rename" section in
// order, "NUL=path" deleting the file, "new=old" renaming old to new (over a file of that name);
// then the file becomes WININIT.BAK (over an older one). Only paths on the machine's drives are
// touched; anything else in the section is skipped with a message. qxmachine carries it out as the
// machine boots, ExitWindowsEx where the machine's tools are gone (host/exit_windows.h).
#pragma once

#include <string>
#include <vector>

namespace qx {

inline constexpr char kWininit[] = "C:\\WINDOWS\\WININIT.INI";

// True when every line was carried out (a file to delete that is already gone counts as done);
// each failure is said on stderr. A WININIT.INI that is no regular file of at most 1 MiB (a FIFO,
// a huge file) is said and left as it is.
bool CarryOutWininit();

// Drops the deletions WININIT.INI has pending ("NUL=path" in its "rename" section) of the files
// WINDOWS_PATHS name (compared as the files they map to), keeping every other line: an
// installation that puts a file back keeps it past the next start. False, said on stderr, when
// the file could not be rewritten; true when there is none a boot would carry out.
bool KeepFiles(const std::vector<std::string>& windowsPaths);

}  // namespace qx
