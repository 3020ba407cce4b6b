// A fresh machine root in a temporary folder, made the root of this process (and of the
// processes it starts) for the life of the object, and removed afterwards. Meanwhile no desktop
// of the person's is named (XDG_CURRENT_DESKTOP) and GSettings keeps its values in memory, so that
// nothing a test does reaches the person's own settings.
#pragma once

#include <string>
#include <tuple>
#include <vector>

namespace qx::test {

class TempRoot {
 public:
  TempRoot();
  ~TempRoot();
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  // The environment as it was before: name, value, whether it was set.
  std::vector<std::tuple<std::string, std::string, bool>> previous_;
};

// Reads a whole file; "" when it cannot be read.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

}  // namespace qx::test
