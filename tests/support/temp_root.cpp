#include "tests/support/temp_root.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/machine_root.h"

namespace qx::test {

TempRoot::TempRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qxroot-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made ? made : "";
  if (const char* old = std::getenv("QX_ROOT")) {
    previous_ = old;
    hadPrevious_ = true;
  }
  SetMachineRoot(path_);
}

TempRoot::~TempRoot() {
  if (hadPrevious_) setenv("QX_ROOT", previous_.c_str(), 1);
  else unsetenv("QX_ROOT");
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace qx::test
