#include "host/failing_calls.h"

#include <sstream>
#include <string>

#include "host/machine_root.h"
#include "host/regular_file.h"

namespace qx {

bool CallFails(std::string_view call, std::string_view action) {
  // A FIFO or a huge file there names no call: every call of every program asks.
  std::optional<std::string> text = ReadRegularFile(MachineRoot() + "/run/failing-calls", 64 * 1024);
  if (!text) return false;
  std::string whole = std::string(call);
  std::string withAction = whole + ":" + std::string(action);
  std::string& words = *text;
  for (char& c : words)
    if (c == ',' || c == '\r' || c == '\t') c = ' ';
  std::istringstream split(words);
  for (std::string name; split >> name;)
    if (name == whole || (!action.empty() && name == withAction)) return true;
  return false;
}

}  // namespace qx
