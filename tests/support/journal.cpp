#include "tests/support/journal.h"

#include <algorithm>
#include <regex>
#include <sstream>

#include "tests/support/device_service.h"

namespace qx::test {

std::string Journal() { return DeviceService::Qxctl("journal"); }

std::vector<std::string> JournalLines(const std::string& name) {
  std::istringstream journal(Journal());
  std::vector<std::string> lines;
  for (std::string line; std::getline(journal, line);)
    if (line.find(" " + name) != std::string::npos) lines.push_back(line);
  return lines;
}

std::vector<std::string> Sent(const std::string& name) {
  std::vector<std::string> fields;
  for (const std::string& line : JournalLines(name)) {
    const std::size_t at = line.find(" " + name);
    fields.push_back(line.substr(std::min(line.size(), at + name.size() + 2)));
  }
  return fields;
}

std::pair<std::string, std::string> NameAndFields(const std::string& line) {
  std::istringstream in(line);
  std::string time, code, name, fields;
  in >> time >> code >> name;
  std::getline(in, fields);
  if (!fields.empty() && fields[0] == ' ') fields.erase(0, 1);
  return {name, fields};
}

std::vector<JournalReport> JournalReports(bool withoutRepeats) {
  static const std::regex report(
      R"(T(\d\d):(\d\d):(\d\d)\.(\d\d\d)Z - Report X=(-?\d+) Y=(-?\d+) Touch=(\d) Counter=(-?\d+))"
      R"( PointerX=(-?\d+) PointerY=(-?\d+))");
  std::vector<JournalReport> out;
  std::smatch m;
  for (const std::string& line : JournalLines("- Report")) {
    if (!std::regex_search(line, m, report)) continue;
    const long long ms = ((std::stoll(m[1]) * 60 + std::stoll(m[2])) * 60 + std::stoll(m[3])) * 1000 + std::stoll(m[4]);
    const bool repeat = !out.empty() && out.back().x == std::stoi(m[5]) && out.back().y == std::stoi(m[6]) &&
                        out.back().touch == std::stoi(m[7]);
    if (withoutRepeats && repeat) continue;
    out.push_back(
        {ms, std::stoi(m[5]), std::stoi(m[6]), std::stoi(m[7]), std::stoi(m[8]), std::stoi(m[9]), std::stoi(m[10])});
  }
  return out;
}

}  // namespace qx::test
