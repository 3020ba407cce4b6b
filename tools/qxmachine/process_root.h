// Whether a process belongs to this machine root, told from the process itself rather than from a
// file in run/: a file there (a lock, a socket) can be planted or linked by anyone, and what it
// names is ended by a shutdown only when the process confirms it.
#pragma once

#include <sys/types.h>

#include <string>

namespace qx::machine {

// Whether PID runs on this root: the root it was started for is this root's folder. That root is
// the last "--root DIR" of its command line, else QX_ROOT of its environment, else the default
// root its environment gives (XDG_DATA_HOME or HOME); a relative one is taken from the process's
// own folder. A process whose command line and environment cannot be read (another user's) does
// not run on this root.
bool RunsOnThisRoot(pid_t pid);

// The process that listens on the Unix socket at PATH (SO_PEERCRED of a connection to it), or 0
// when nothing answers within a moment.
pid_t SocketListener(const std::string& path);

}  // namespace qx::machine
