// A machine root for a fuzz target's files, made once per process on tmpfs where there is one (the
// profile calls flush every file they write) and made the process's root.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "host/machine_root.h"

namespace qx::fuzz {

// The root, with its drive C: made.
inline const std::string& FuzzRoot() {
  static const std::string root = [] {
    std::string pattern = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/qxfuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    SetMachineRoot(pattern);
    if (!MakeDirs(pattern + "/drive_c")) std::abort();
    return pattern;
  }();
  return root;
}

// Writes DATA as the whole file at PATH.
inline void WriteWhole(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) std::abort();
}

}  // namespace qx::fuzz
