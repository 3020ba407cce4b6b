// Fuzz target: any bytes as a profile file of a machine root, through the calls that read and write
// it. Checks what must hold of every file: each section and key the lists name is found again, and
// a value written into a section is read back as written while every other section's entries stay
// as they were. (A file holding a NUL is only read: its names cannot go through the lists whole.)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_root.h"
#include "host/profile_file.h"

namespace {

constexpr char kFile[] = "C:\\fuzz.ini";

std::string Get(const char* section, const char* key, const char* defaultValue = "") {
  static char buffer[8192];
  const qx::DWORD n = qx::GetPrivateProfileStringA(section, key, defaultValue, buffer, sizeof buffer, kFile);
  return std::string(buffer, n);
}

// The names of a list the reading call gives (each followed by a zero); nothing when it was cut.
std::vector<std::string> Names(const std::string& list) {
  std::vector<std::string> names;
  if (list.size() >= 8190) return names;
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t zero = list.find('\0', at);
    names.push_back(list.substr(at, zero - at));
    at = zero + 1;
  }
  return names;
}

void Require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qx::fuzz::WriteWhole(qx::fuzz::FuzzRoot() + "/drive_c/fuzz.ini", data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> sections = Names(Get(nullptr, nullptr));
  if (text.find('\0') != std::string::npos) {
    for (const std::string& section : sections) qx::ProfileSectionEntries(kFile, section);
    return 0;
  }
  for (const std::string& section : sections)
    // A key that is found gives its value whatever the default; a missing one gives the default.
    for (const std::string& key : Names(Get(section.c_str(), nullptr)))
      Require(Get(section.c_str(), key.c_str(), "a") == Get(section.c_str(), key.c_str(), "b"));
  if (sections.empty()) return 0;

  std::vector<std::vector<qx::profile::Entry>> before;
  for (std::size_t i = 1; i < sections.size(); ++i) before.push_back(qx::ProfileSectionEntries(kFile, sections[i]));
  Require(qx::WritePrivateProfileStringA(sections[0].c_str(), "FuzzKey", "written value", kFile));
  Require(Get(sections[0].c_str(), "fuzzkey") == "written value");
  for (std::size_t i = 1; i < sections.size(); ++i) {
    const std::vector<qx::profile::Entry> after = qx::ProfileSectionEntries(kFile, sections[i]);
    Require(after.size() == before[i - 1].size());
    for (std::size_t e = 0; e < after.size(); ++e)
      Require(after[e].key == before[i - 1][e].key && after[e].value == before[i - 1][e].value);
  }
  return 0;
}
