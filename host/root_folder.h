// What a tool writes into the machine root stays inside it: the root's folders are reached one
// part at a time from the root itself, none through a link, so that a link planted at etc/ (or
// deeper) cannot carry a file out of the root; a file is replaced whole inside such a folder.
#pragma once

#include <sys/types.h>

#include <string>

#include "host/unique_fd.h"

namespace qx {

// The folder RELATIVE ("etc/udev/rules.d") inside the machine root, each missing part made 0700.
// Empty, with errno set, when a part cannot be reached without leaving the root: ELOOP when it is
// a link, ENOTDIR when it is not a folder, EINVAL for a "..".
UniqueFd OpenRootFolder(const std::string& relative);

// TEXT as the whole of NAME in the open folder FOLDER, with MODE: written to a new file beside it
// and renamed over it, so that a link at NAME is replaced, never followed.
bool ReplaceFileIn(int folder, const std::string& name, const std::string& text, mode_t mode);

}  // namespace qx
