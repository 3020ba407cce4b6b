#include "tests/support/wait.h"

#include <chrono>
#include <thread>

#include "tests/support/temp_root.h"

namespace qx::test {

bool WaitUntil(const std::function<bool()>& predicate, int ms, int pollMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
  return true;
}

std::string ReadUntil(const std::string& file, const std::function<bool(const std::string&)>& predicate, int ms) {
  std::string text;
  WaitUntil([&] { return predicate(text = ReadFile(file)); }, ms);
  return text;
}

bool HasWholeLine(const std::string& text) { return text.find('\n') != std::string::npos; }

}  // namespace qx::test
