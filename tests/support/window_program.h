// A real window program (bus_test_window) on the current machine root's window bus, for the life
// of the object: started, waited for until its main window is listed, ended at the end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "host/win_types.h"

namespace qx::test {

class WindowProgram {
 public:
  // Starts bus_test_window with --caption CAPTION and EXTRA arguments; throws when its main window
  // is not on the bus within 10 s.
  explicit WindowProgram(const std::string& caption, const std::vector<std::string>& extra = {});
  ~WindowProgram();
  WindowProgram(const WindowProgram&) = delete;
  WindowProgram& operator=(const WindowProgram&) = delete;

  pid_t pid() const { return pid_; }
  HWND main() const { return main_; }
  // The handle of this program's window captioned CAPTION, or 0.
  HWND Window(const std::string& caption) const;
  // Waits up to TIMEOUT_MS for the program to end by itself; true when it did.
  bool WaitForEnd(int timeoutMs);
  // Ends it now with SIG (and reaps it).
  void Kill(int sig);

 private:
  pid_t pid_ = -1;
  HWND main_ = 0;
};

}  // namespace qx::test
