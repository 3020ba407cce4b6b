// What the recording's reader and writer share of libevemu: its device and the streams it reads
// and writes, each closed by its owner.
#pragma once

#include <evemu.h>

#include <cstdio>
#include <memory>
#include <string_view>

namespace qx::evemu {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct DeviceDeleter {
  void operator()(evemu_device* d) const { evemu_delete(d); }
};
using Device = std::unique_ptr<evemu_device, DeviceDeleter>;

// TEXT as a stream for libevemu to read (TEXT must outlive it).
inline File Stream(std::string_view text) { return File(::fmemopen(const_cast<char*>(text.data()), text.size(), "r")); }

}  // namespace qx::evemu
