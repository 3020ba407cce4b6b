// Fuzz target: any text as a REGEDIT4 file, through the reader qxreg import uses. Checks what must
// hold of every file the reader accepts: no key or value name it hands on holds a NUL, CR or LF
// (a NUL would cut the name where the registry calls take it), no key path has an empty name, and
// every value has the bytes its form says.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/qxreg/regedit4.h"

namespace {

bool Clean(const std::string& name) { return name.find_first_of(std::string("\0\r\n", 3)) == std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<qx::reg::Section> sections;
  qx::reg::FileError error;
  if (!qx::reg::ParseRegedit4(text, sections, error)) {
    if (error.message.empty() || error.line < 0) std::abort();
    return 0;
  }
  for (const qx::reg::Section& section : sections) {
    const std::string& path = section.key.path;
    if (!Clean(path) || path.find("\\\\") != std::string::npos || (!path.empty() && path.front() == '\\') ||
        (!path.empty() && path.back() == '\\'))
      std::abort();
    if (section.remove && (path.empty() || !section.values.empty())) std::abort();
    for (const qx::reg::ValueEntry& value : section.values) {
      if (!Clean(value.name)) std::abort();
      if (!value.remove && value.type == qx::REG_SZ && (value.data.empty() || value.data.back() != 0)) std::abort();
    }
  }
  return 0;
}
