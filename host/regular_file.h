// Files of the root read without waiting on what is not a file. Opening a FIFO for reading waits
// for a writer, for ever when none comes, and a device or a folder is no file either: whatever
// the suite reads in the root is opened without waiting and kept only when it is a regular file,
// and read up to a bound, so that a planted FIFO, folder or huge file reads as no file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>

namespace qx {

// Opens PATH with FLAGS (and MODE, when they make it) without waiting, and keeps the descriptor
// only when it is a regular file; -1 otherwise, errno EINVAL when it is something else.
int OpenRegularFile(const std::string& path, int flags, mode_t mode = 0);

// The open file FD from its start; nothing when it cannot be read or holds more than LIMIT bytes
// (found from its size, or while reading one that grows), so that no more than that is held.
std::optional<std::string> ReadFrom(int fd, std::size_t limit);

// The whole of the regular file PATH, of at most LIMIT bytes (a symbolic link followed when
// FOLLOW); nothing otherwise, errno saying why (EINVAL: no regular file; EFBIG: too large).
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t limit, bool follow = true);

}  // namespace qx
