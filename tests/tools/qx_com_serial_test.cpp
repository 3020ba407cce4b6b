// qx-com-serial and the unit it enables: the serial ports it lists over a mocked sysfs, the set-up
// file it writes for each protocol (the arguments the unit gives inputattach), what it asks of
// systemctl, and the template unit as systemd would load an instance of it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/umockdev_bed.h"

namespace qx {
namespace {

class SerialTouchscreens : public ::testing::Test {
 protected:
  SerialTouchscreens() {
    ::mkdir((root_.path() + "/serial").c_str(), 0755);
    // systemctl's stand-in writes down what it was asked.
    std::ofstream(systemctl_) << "#!/bin/sh\necho \"$@\" >> " << root_.path() << "/systemctl.log\n";
    ::chmod(systemctl_.c_str(), 0755);
  }
  test::RunResult Serial(std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), test::Program("qx-com-serial"));
    env.push_back("QX_SERIAL_SETUP=" + root_.path() + "/serial");
    env.push_back("QX_SERIAL_LOCKS=" + root_.path());
    env.push_back("QX_SYSTEMCTL=" + systemctl_);
    return test::Run(args, env);
  }

  test::TempRoot root_;
  std::string systemctl_ = root_.path() + "/systemctl";
};

TEST_F(SerialTouchscreens, AttachWritesInputattachsArgumentsForTheProtocolAndEnablesTheUnit) {
  struct Case {
    std::vector<std::string> args;
    const char* file;
    const char* inputattach;
  };
  const Case cases[] = {
      {{"ttyS0", "elotouch"}, "dev-ttyS0.conf", "--always --baud 9600 --elotouch /dev/ttyS0"},
      {{"COM2", "penmount6000"}, "dev-ttyS1.conf", "--always --baud 19200 --penmount6000 /dev/ttyS1"},
      {{"/dev/ttyS0", "touchwin"}, "dev-ttyS0.conf", "--always --baud 4800 --touchwin /dev/ttyS0"},
      {{"ttyS3", "mtouch", "19200"}, "dev-ttyS3.conf", "--always --baud 19200 --mtouch /dev/ttyS3"},
      {{"/dev/serial/by-id/usb-FTDI_X-if00-port0", "tsc"},
       "dev-serial-by\\x2did-usb\\x2dFTDI_X\\x2dif00\\x2dport0.conf",
       "--always --baud 9600 --tsc /dev/serial/by-id/usb-FTDI_X-if00-port0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    std::vector<std::string> args = {"attach"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::RunResult attached = Serial(args);
    EXPECT_EQ(attached.exitCode, 0) << attached.err;
    EXPECT_NE(test::ReadFile(root_.path() + "/serial/" + c.file)
                  .find(std::string("\nQX_INPUTATTACH_ARGS=") + c.inputattach + "\n"),
              std::string::npos)
        << test::ReadFile(root_.path() + "/serial/" + c.file);
  }
  const std::string first = "enable qx-com-serial@dev-ttyS0.service\nrestart qx-com-serial@dev-ttyS0.service\n";
  EXPECT_EQ(test::ReadFile(root_.path() + "/systemctl.log").substr(0, first.size()), first);
  EXPECT_EQ(Serial({"detach", "ttyS0"}).exitCode, 0);
  EXPECT_NE(test::ReadFile(root_.path() + "/systemctl.log").find("disable --now qx-com-serial@dev-ttyS0.service\n"),
            std::string::npos);
  EXPECT_FALSE(std::ifstream(root_.path() + "/serial/dev-ttyS0.conf").good());
  for (const std::vector<std::string>& wrong :
       std::vector<std::vector<std::string>>{{"attach", "ttyS0", "nosuch"},
                                             {"attach", "../etc/passwd", "tsc"},
                                             {"attach", "tty1", "tsc"},
                                             {"attach", "ttyS0", "tsc", "fast"}})
    EXPECT_EQ(Serial(wrong).exitCode, 64) << wrong[1] << " " << wrong[2];
}

// The ports as the control panel tables them, each with what is attached to it.
TEST_F(SerialTouchscreens, ListShowsTheMachinesPortsFromSysfsAndWhatIsAttached) {
  test::UmockdevBed bed;
  std::string why;
  ASSERT_TRUE(bed.AddTty("ttyS0", "0x3F8", 4, 4, why)) << why;
  ASSERT_TRUE(bed.AddTty("ttyS1", "0x2F8", 3, 0, why)) << why;
  ASSERT_EQ(Serial({"attach", "ttyS0", "elotouch"}).exitCode, 0);
  const test::RunResult listed = Serial({"list"}, bed.Environment());
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_NE(listed.out.find("COM1  /dev/ttyS0  COM1, BasePort=03F8h, IRQ=4  attached: elotouch at 9600\n"),
            std::string::npos)
      << listed.out;
  EXPECT_NE(listed.out.find("COM2  /dev/ttyS1  COM2..Not Found.\n"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("COM9  /dev/ttyS8  COM9..Not Found.\n"), std::string::npos) << listed.out;
}

// The unit as systemd loads an instance of it: verify exits 0 on lines it ignores, so anything it
// says fails.
TEST_F(SerialTouchscreens, TheTemplateUnitPassesSystemdAnalyzeVerify) {
  const std::string unit = std::string(QX_SOURCE_DIR) + "/package/systemd/qx-com-serial@.service";
  ASSERT_EQ(::symlink(unit.c_str(), (root_.path() + "/qx-com-serial@dev-ttyS0.service").c_str()), 0);
  const test::RunResult verified =
      test::Run({"/usr/bin/systemd-analyze", "verify", "--man=no", root_.path() + "/qx-com-serial@dev-ttyS0.service"});
  EXPECT_EQ(verified.exitCode, 0);
  EXPECT_EQ(verified.out + verified.err, "");
}

}  // namespace
}  // namespace qx
