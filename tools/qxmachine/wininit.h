// What Windows does with C:\WINDOWS\WININIT.INI as it starts: the lines of its "rename" section in
// order, "NUL=path" deleting the file, "new=old" renaming old to new (over a file of that name);
// then the file becomes WININIT.BAK (over an older one). Only paths on the machine's drives are
// touched; anything else in the section is skipped with a message.
#pragma once

namespace qx::machine {

inline constexpr char kWininit[] = "C:\\WINDOWS\\WININIT.INI";

// True when every line was carried out (a file to delete that is already gone counts as done);
// each failure is said on stderr.
bool CarryOutWininit();

}  // namespace qx::machine
