// Whether a file of the machine can be read: the existence test of the suite's pictures and marks.
#pragma once

#include <string>

namespace qx {

// True when the file at the Windows path PATH can be opened for reading (it is opened and
// closed again). A trailing "\" is removed from PATH first, so "C:\a\b\" tests "C:\a\b". A
// folder, a missing file or any error gives false.
bool FileExists(const std::string& path);

}  // namespace qx
