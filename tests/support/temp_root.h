// A fresh machine root in a temporary folder, made the root of this process (and of the
// processes it starts) for the life of the object, and removed afterwards.
#pragma once

#include <string>

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
  std::string previous_;
  bool hadPrevious_ = false;
};

// Reads a whole file; "" when it cannot be read.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

}  // namespace qx::test
