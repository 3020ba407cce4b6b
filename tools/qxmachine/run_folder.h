// The machine's run/ folder as qxmachine keeps it: emptied at every shut-down without leaving the
// root, and the sockets it holds, whose paths must fit a socket address.
#pragma once

#include <cstddef>

namespace qx::machine {

// The longest machine root whose sockets fit a socket address (108 bytes with the closing zero):
// the longest socket path below the root is "/run/windows/.<process id>.new", the window bus's
// socket before it listens, 25 bytes with a process id of seven digits.
inline constexpr std::size_t kLongestRoot = 107 - 25;

// Whether the root's path is at most kLongestRoot bytes long; when not, says why on stderr.
bool RootFitsItsSockets();

// Empties run/. It is never followed where it is a link: a run/ that is a symbolic link (to a
// person's $XDG_RUNTIME_DIR, say) is set aside as run.link, said on stderr, and a fresh run/ made,
// so the folder it points to keeps its files; a link inside run/ is removed, not followed. False
// when run/ could not be emptied or set aside (said on stderr).
bool EmptyRunFolder();

}  // namespace qx::machine
