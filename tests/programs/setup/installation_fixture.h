// A fresh machine root installed into by the real package/install-suite and QXWMECdi, whose boxes
// are logged (QX_MESSAGE_LOG) and answered by their default button. A machine the installation
// restarted is shut down at the end.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_root.h"

namespace qx::test {

inline constexpr char kSetupTitle[] = "TouchScreen Driver Installation";
// The final box as the log writes it (CR and LF as \r and \n), and its type: OK, information,
// system-modal.
inline constexpr char kFinalText[] =
    "Setup has finished installing TouchScreen drivers and utilities on your computer.\\r\\n\\r\\n"
    "The Windows must be restarted.";
inline constexpr int kFinalType = 0x1040;

class Installation : public ::testing::Test {
 protected:
  void TearDown() override { Machine("shutdown"); }

  std::string LogPath() const { return root.path() + "/boxes.log"; }
  std::vector<std::string> Env() const { return {"QX_MESSAGE_LOG=" + LogPath(), "QT_QPA_PLATFORM=offscreen"}; }
  std::string Boxes() const { return ReadFile(LogPath()); }
  // One logged box of the installer.
  static std::string Box(const std::string& text, int type) {
    return std::string(kSetupTitle) + "\t" + text + "\t" + std::to_string(type) + "\n";
  }
  std::string InstallFolder() const { return root.path() + "/drive_c/Program Files/TouchScreen/QX-COM"; }

  // package/install-suite into the root from this build, with ARGS.
  RunResult Install(std::vector<std::string> args) {
    const std::string bin = Program("");
    args.insert(args.begin(), {std::string(QX_SOURCE_DIR) + "/package/install-suite", "--root", root.path(), "--build",
                               bin.substr(0, bin.size() - 5)});  // the build folder of bin/
    return ::qx::test::Run(args, Env(), 90000);
  }
  // QXWMECdi.exe as installed, run to its end.
  RunResult RunSetup() { return ::qx::test::Run({InstallFolder() + "/QXWMECdi.exe"}, Env(), 30000); }
  // qxmachine on the root; the programs a restart's log-on starts log their boxes too.
  RunResult Machine(const std::string& command) {
    return ::qx::test::Run({Program("qxmachine"), "--root", root.path(), command}, Env(), 60000);
  }
  std::string Qxctl(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {Program("qxctl"), "--root", root.path()};
    argv.insert(argv.end(), args.begin(), args.end());
    return ::qx::test::Run(argv).out;
  }

  TempRoot root;
};

}  // namespace qx::test
