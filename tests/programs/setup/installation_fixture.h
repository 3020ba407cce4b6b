// A fresh machine root installed into by the real package/install-suite and QXWMECdi, whose boxes
// are logged (QX_MESSAGE_LOG) and answered by their default button. A machine the installation
// restarted is shut down at the end.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/program_test.h"
#include "tests/support/suite_installation.h"

namespace qx::test {

inline constexpr char kSetupTitle[] = "TouchScreen Driver Installation";
// The final box as the log writes it (CR and LF as \r and \n), and its type: OK, information,
// system-modal.
inline constexpr char kFinalText[] =
    "Setup has finished installing TouchScreen drivers and utilities on your computer.\\r\\n\\r\\n"
    "The Windows must be restarted.";
inline constexpr int kFinalType = 0x1040;

class Installation : public ProgramTest {
 protected:
  Installation() : ProgramTest(Service::kNone) {}
  void TearDown() override { Machine("shutdown"); }

  // One logged box of the installer.
  static std::string Box(const std::string& text, int type) { return LoggedBox(kSetupTitle, text, type); }
  std::string InstallFolder() const { return root.path() + kInstalledFolder; }

  // package/install-suite into the root from this build, with ARGS.
  RunResult Install(std::vector<std::string> args) {
    const std::string bin = Program("");
    args.insert(args.begin(), {std::string(QX_SOURCE_DIR) + "/package/install-suite", "--root", root.path(), "--build",
                               bin.substr(0, bin.size() - 5)});  // the build folder of bin/
    return ::qx::test::Run(args, {}, 90000);
  }
  // QXWMECdi.exe as installed, run to its end.
  RunResult RunSetup() { return ::qx::test::Run({InstallFolder() + "/QXWMECdi.exe"}, {}, 30000); }
  // qxmachine on the root; the programs a restart's log-on starts log their boxes too.
  static RunResult Machine(const std::string& command) { return Qxmachine(command, {}, 60000); }
};

}  // namespace qx::test
