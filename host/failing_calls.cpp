#include "host/failing_calls.h"

#include <fstream>
#include <sstream>
#include <string>

#include "host/machine_root.h"

namespace qx {

bool CallFails(std::string_view call, std::string_view action) {
  std::ifstream in(MachineRoot() + "/run/failing-calls");
  if (!in) return false;
  std::string whole = std::string(call);
  std::string withAction = whole + ":" + std::string(action);
  std::stringstream text;
  text << in.rdbuf();
  std::string words = text.str();
  for (char& c : words)
    if (c == ',' || c == '\r' || c == '\t') c = ' ';
  std::istringstream split(words);
  for (std::string name; split >> name;)
    if (name == whole || (!action.empty() && name == withAction)) return true;
  return false;
}

}  // namespace qx
