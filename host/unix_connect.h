// A connection to a Unix socket (a stream, or packets in sequence) that never waits without limit: a listener whose
// backlog is full (a service that is stopped, or that stopped accepting) is tried again until a deadline.
#pragma once

#include <sys/socket.h>

#include <chrono>
#include <string>

namespace qx {

// The connected descriptor (close-on-exec, non-blocking), or -1 with errno set: ENOENT or
// ECONNREFUSED when nothing listens at PATH, ETIMEDOUT when the listener did not take the
// connection before DEADLINE (a DEADLINE already past tries once), ENAMETOOLONG for a path
// longer than a socket address holds. TYPE: SOCK_STREAM, or SOCK_SEQPACKET.
int ConnectUnix(const std::string& path, std::chrono::steady_clock::time_point deadline, int type = SOCK_STREAM);

}  // namespace qx
