// The whole registry of the current root read back through the registry calls, for comparing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/registry.h"

namespace qx::test {

struct DumpedValue {
  std::string name;  // as stored
  DWORD type = 0;
  std::vector<BYTE> data;
  bool operator==(const DumpedValue&) const = default;
};

// Every key under the four roots by its full name in stored case ("HKEY_LOCAL_MACHINE\A\B"),
// with its values in enumeration order. The roots themselves are listed too.
std::map<std::string, std::vector<DumpedValue>> DumpRegistry();

// One key's values; empty when the key cannot be opened.
std::vector<DumpedValue> DumpValues(HKEY key);

}  // namespace qx::test
