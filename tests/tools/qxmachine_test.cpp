// qxmachine against a real machine root: the device service, window programs on the bus, stand-in
// programs that hold locks, log-on entries and WININIT.INI; and ExitWindowsEx from a program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "host/machine_root.h"
#include "host/process_start.h"
#include "host/window_bus.h"
#include "tests/support/device_service.h"
#include "tests/support/process.h"
#include "tests/support/temp_root.h"
#include "tests/support/wait.h"

namespace qx {
namespace {

using test::Program;
using test::ReadFile;
using test::RunResult;
using test::TempRoot;
using test::WriteFile;

RunResult QxmachineOn(const std::string& root, const std::string& command, const std::vector<std::string>& env = {}) {
  std::vector<std::string> argv = {Program("qxmachine"), "--root", root};
  std::istringstream words(command);
  for (std::string w; words >> w;) argv.push_back(w);
  // Every command ends well within this, however strange the root's files are.
  return test::Run(argv, env, 20000);
}

RunResult Qxmachine(const std::string& command, const std::vector<std::string>& env = {}) {
  return QxmachineOn(MachineRoot(), command, env);
}

bool Running(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  std::size_t close = line.rfind(')');
  return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

// The process ids the stand-ins logged under NAME, in the order they started.
std::vector<pid_t> StandIns(const std::string& name) {
  std::istringstream log(ReadFile(MachineRoot() + "/stand-in.log"));
  std::vector<pid_t> pids;
  for (std::string line; std::getline(log, line);) {
    std::istringstream words(line);
    std::string who, what;
    if (words >> who >> what && who == name && what != "restart") pids.push_back(std::stoi(what));
  }
  return pids;
}

pid_t WindowOwner(const char* caption) { return FindWindowA(nullptr, caption) / 256; }

// The process id after "TEXT (process " in OUT, 0 when it is not there.
pid_t ProcessSaid(const std::string& out, const std::string& text) {
  const std::size_t at = out.find(text + " (process ");
  return at == std::string::npos ? 0 : std::stoi(out.substr(at + text.size() + 10));
}

// How many processes status lists as started at log-on.
int LogonStarted(const std::string& root) {
  const std::string out = QxmachineOn(root, "status").out;
  int n = 0;
  for (std::size_t at = out.find("(started at log-on)"); at != std::string::npos;
       at = out.find("(started at log-on)", at + 1))
    ++n;
  return n;
}

// The process ids of the window sockets in FOLDER.
std::vector<pid_t> WindowSockets(const std::string& folder) {
  std::vector<pid_t> pids;
  std::error_code ec;
  for (const auto& item : std::filesystem::directory_iterator(folder, ec))
    if (item.path().filename().string().find_first_not_of("0123456789") == std::string::npos)
      pids.push_back(std::stoi(item.path().filename().string()));
  return pids;
}

// A folder outside the machine root, removed with the object.
class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qxoutside-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : "";
  }
  ~Folder() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class MachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startUp_ = root_.path() + "/drive_c/WINDOWS/Start Menu/Programs/StartUp/";
    std::filesystem::create_directories(startUp_);
  }
  // Whatever the test leaves running on the root ends with it.
  void TearDown() override { Qxmachine("shutdown", {"QX_END_TIMEOUT_MS=500"}); }

  void AddLogonEntry(const std::string& file, const std::string& body) {
    WriteFile(startUp_ + file, "[Desktop Entry]\nType=Application\nName=" + file + "\n" + body);
  }

  TempRoot root_;
  std::string startUp_;
};

TEST_F(MachineTest, RestartEndsEverythingCarriesOutWininitAndStartsAgain) {
  // The stand-in's log-on entry runs a copy in a folder with a blank, through a quoted Exec
  // line with a field code; a hidden entry never runs.
  const std::string spaced = root_.path() + "/Program Files/stand in";
  std::filesystem::create_directories(root_.path() + "/Program Files");
  std::filesystem::copy_file(Program("machine_stand_in"), spaced);
  AddLogonEntry("a stand-in.desktop", "Exec=\"" + spaced + "\" --name logon %U\n");
  AddLogonEntry("b window.desktop", "Exec=" + Program("bus_test_window") + " --caption \"Log-on window\"\n");
  AddLogonEntry("c hidden.desktop", "Hidden=true\nExec=" + spaced + " --name hidden\n");

  RunResult boot = Qxmachine("boot");
  ASSERT_EQ(boot.exitCode, 0) << boot.err;
  ASSERT_TRUE(test::WaitUntil([] { return StandIns("logon").size() == 1 && WindowOwner("Log-on window"); }, 20000));
  int rc = -1;
  test::DeviceService::Qxctl("set SpeedH=7", &rc);
  ASSERT_EQ(rc, 0);
  // A program that does not end when asked, started as the suite starts its programs.
  ASSERT_EQ(WinExec((Program("machine_stand_in") + " --name stubborn --ignore-term").c_str(), SW_SHOWNORMAL),
            EXEC_STARTED);
  ASSERT_TRUE(test::WaitUntil([] { return StandIns("stubborn").size() == 1; }, 20000));

  RunResult status = Qxmachine("status");
  EXPECT_EQ(status.exitCode, 0);
  EXPECT_NE(status.out.find("device service: running"), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("(lock logon, started at log-on)"), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("bus_test_window (windows, lock BusTestWindow, started at log-on)"), std::string::npos)
      << status.out;
  std::vector<pid_t> before = {StandIns("logon")[0], StandIns("stubborn")[0], WindowOwner("Log-on window")};
  const pid_t service = std::stoi(status.out.substr(status.out.find("(process ") + 9));
  before.push_back(service);

  const std::string c = root_.path() + "/drive_c/";
  WriteFile(c + "WINDOWS/QXWMECde.exe", "removal program");
  WriteFile(c + "old.txt", "moved");
  WriteFile(c + "WINDOWS/WININIT.INI",
            "[Other]\nNUL=C:\\keep.txt\n[rename]\r\nNUL=C:\\WINDOWS\\QXWMECde.exe\r\nC:\\new.txt=C:\\old.txt\r\n");
  WriteFile(c + "keep.txt", "kept");

  RunResult restart = Qxmachine("restart", {"QX_END_TIMEOUT_MS=500"});
  EXPECT_EQ(restart.exitCode, 0) << restart.err;
  EXPECT_NE(restart.out.find("killed machine_stand_in"), std::string::npos) << restart.out;
  for (pid_t pid : before) EXPECT_FALSE(Running(pid)) << pid;

  EXPECT_FALSE(std::filesystem::exists(c + "WINDOWS/QXWMECde.exe"));
  EXPECT_EQ(ReadFile(c + "new.txt"), "moved");
  EXPECT_FALSE(std::filesystem::exists(c + "old.txt"));
  EXPECT_EQ(ReadFile(c + "keep.txt"), "kept");
  EXPECT_FALSE(std::filesystem::exists(c + "WINDOWS/WININIT.INI"));
  EXPECT_TRUE(std::filesystem::exists(c + "WINDOWS/WININIT.BAK"));

  EXPECT_EQ(test::DeviceService::Qxctl("get SpeedH", &rc), "7\n");
  EXPECT_EQ(rc, 0);
  ASSERT_TRUE(test::WaitUntil([] { return StandIns("logon").size() == 2 && WindowOwner("Log-on window"); }, 20000));
  EXPECT_TRUE(StandIns("hidden").empty());
  EXPECT_EQ(StandIns("stubborn").size(), 1u);
}

// The device service the boot starts writes its messages where qxctl output says: the person's
// journal under its name, else a file of its own in the root (not /dev/null).
TEST_F(MachineTest, TheServiceWritesItsMessagesWhereQxctlOutputSays) {
  ASSERT_EQ(Qxmachine("boot").exitCode, 0);
  const std::string output = test::DeviceService::Qxctl("output");
  ASSERT_NE(output.find("\nLog: "), std::string::npos) << output;
  std::string place = output.substr(output.find("\nLog: ") + 6);
  place.erase(place.find('\n'));
  const bool journal = place.starts_with("journalctl");
  EXPECT_TRUE(journal || place == root_.path() + "/log/qxwmecomd.log") << place;
  EXPECT_TRUE(test::WaitUntil(
      [&] {
        const std::string text =
            journal ? test::Run({"journalctl", "--user", "-t", "qxwmecomd", "-o", "cat", "--no-pager"}).out
                    : ReadFile(place);
        return text.find("qxwmecomd: input: ") != std::string::npos;
      },
      10000))
      << place;
}

// After an upgrade the service still runs the program that was replaced: the next boot (the next
// log-on's) restarts the machine, so that the new program serves it and the log-on runs again.
TEST_F(MachineTest, BootRestartsAMachineWhoseServiceRunsAReplacedProgram) {
  Folder tools;
  const std::string service = tools.path() + "/qxwmecomd";
  std::filesystem::copy_file(Program("qxwmecomd"), service);
  AddLogonEntry("stand-in.desktop", "Exec=" + Program("machine_stand_in") + " --name logon\n");
  const std::vector<std::string> env = {"QX_TOOLS=" + tools.path(), "QX_END_TIMEOUT_MS=500"};
  const RunResult first = Qxmachine("boot", env);
  ASSERT_EQ(first.exitCode, 0) << first.err;
  ASSERT_TRUE(test::WaitUntil([] { return StandIns("logon").size() == 1; }, 20000));
  const pid_t old = ProcessSaid(first.out, "started device service");

  std::filesystem::copy_file(Program("qxwmecomd"), service + ".new");
  std::filesystem::rename(service + ".new", service);
  const RunResult second = Qxmachine("boot", env);
  EXPECT_EQ(second.exitCode, 0) << second.err;
  EXPECT_FALSE(Running(old));
  const pid_t renewed = ProcessSaid(second.out, "started device service");
  ASSERT_GT(renewed, 0) << second.out;
  EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(renewed) + "/exe").string(), service);
  ASSERT_TRUE(test::WaitUntil([] { return StandIns("logon").size() == 2; }, 20000));
  EXPECT_FALSE(Running(StandIns("logon")[0]));
}

TEST_F(MachineTest, ExitWindowsExRestartsTheMachineAndEndsItsCaller) {
  AddLogonEntry("stand-in.desktop", "Exec=" + Program("machine_stand_in") + " --name logon\n");
  ASSERT_EQ(Qxmachine("boot").exitCode, 0);
  ASSERT_TRUE(test::WaitUntil([] { return StandIns("logon").size() == 1; }, 20000));

  ASSERT_EQ(WinExec((Program("machine_stand_in") + " --name caller --restart").c_str(), SW_SHOWNORMAL), EXEC_STARTED);
  ASSERT_TRUE(test::WaitUntil([] { return StandIns("logon").size() == 2; }, 20000));
  EXPECT_NE(ReadFile(MachineRoot() + "/stand-in.log").find("caller restart 1\n"), std::string::npos);
  ASSERT_EQ(StandIns("caller").size(), 1u);
  EXPECT_TRUE(test::WaitUntil([] { return !Running(StandIns("caller")[0]); }, 5000));
  EXPECT_FALSE(Running(StandIns("logon")[0]));
}

// A program the log-on just started has no window or lock yet (or never takes one): the machine
// ends it all the same, and a process that only shares its number is left alone.
TEST_F(MachineTest, WhatTheLogOnStartedEndsWithTheMachineBeforeItHasAWindow) {
  AddLogonEntry("sleeper.desktop", "Exec=/bin/sleep 300\n");
  RunResult boot = Qxmachine("boot");
  ASSERT_EQ(boot.exitCode, 0) << boot.err;
  const std::string started = "started sleeper.desktop (process ";
  const std::size_t at = boot.out.find(started);
  ASSERT_NE(at, std::string::npos) << boot.out;
  const pid_t sleeper = std::stoi(boot.out.substr(at + started.size()));
  ASSERT_TRUE(Running(sleeper));
  EXPECT_NE(Qxmachine("status").out.find("started at log-on"), std::string::npos);

  // This test's own process, listed as if the log-on had started it, was not started on this root.
  std::ofstream(RunDir() + "/logon-started", std::ios::app) << ::getpid() << '\n';
  RunResult shutdown = Qxmachine("shutdown", {"QX_END_TIMEOUT_MS=500"});
  EXPECT_EQ(shutdown.exitCode, 0) << shutdown.err;
  EXPECT_TRUE(test::WaitUntil([&] { return !Running(sleeper); }, 5000));
}

// The log-on's programs run on the display when one is named, whatever stand-in platform the
// caller had (an installer run without a screen); with none they keep it.
TEST_F(MachineTest, LogonProgramsRunOnTheDisplayNotOnTheCallersStandIn) {
  const std::string seen = root_.path() + "/platform";
  AddLogonEntry("env.desktop", "Exec=/bin/sh -c \"printenv QT_QPA_PLATFORM > " + seen + ".part; mv " + seen + ".part " +
                                   seen + "\"\n");
  struct Case {
    std::vector<std::string> env;
    std::string platform;  // as the log-on program saw it
  };
  for (const Case& c : std::vector<Case>{{{"QT_QPA_PLATFORM=offscreen", "DISPLAY=", "WAYLAND_DISPLAY=wayland-9"}, ""},
                                         {{"QT_QPA_PLATFORM=offscreen", "DISPLAY=", "WAYLAND_DISPLAY="}, "offscreen\n"},
                                         {{"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY=wayland-9"}, "xcb\n"}}) {
    std::filesystem::remove(seen);
    RunResult boot = Qxmachine("boot", c.env);
    ASSERT_EQ(boot.exitCode, 0) << boot.err;
    EXPECT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(seen); }, 20000));
    EXPECT_EQ(ReadFile(seen), c.platform) << c.env[2];
    Qxmachine("shutdown", {"QX_END_TIMEOUT_MS=500"});
  }
}

TEST_F(MachineTest, WininitTouchesNothingOutsideTheDrivesAndAFailedLineIsReported) {
  const std::string outside = root_.path() + "/outside.txt";
  WriteFile(outside, "stays");
  WriteFile(root_.path() + "/drive_c/WINDOWS/WININIT.INI",
            "[rename]\nNUL=" + outside + "\nNUL=C:\\..\\..\\outside.txt\nC:\\b.txt=C:\\missing.txt\nNUL=C:\\\n");
  // A machine that is off carries out WININIT.INI as it boots.
  RunResult boot = Qxmachine("boot");
  EXPECT_EQ(boot.exitCode, 1);
  EXPECT_NE(boot.err.find("not a path on the machine's drives"), std::string::npos) << boot.err;
  EXPECT_NE(boot.err.find("cannot rename C:\\missing.txt"), std::string::npos) << boot.err;
  EXPECT_EQ(ReadFile(outside), "stays");
  EXPECT_TRUE(std::filesystem::is_directory(root_.path() + "/drive_c"));
  EXPECT_TRUE(std::filesystem::exists(root_.path() + "/drive_c/WINDOWS/WININIT.BAK"));

  RunResult status = Qxmachine("status");
  EXPECT_EQ(status.exitCode, 0);
  Qxmachine("shutdown");
  status = Qxmachine("status");
  EXPECT_EQ(status.exitCode, 3);
  EXPECT_NE(status.out.find("device service: not running"), std::string::npos);
}

TEST_F(MachineTest, DesktopValuesAreSetFromTheShellAndRefusedOutsideTheirRange) {
  RunResult set = Qxmachine("desktop DoubleClickSpeed=900 doubleclickwidth=32 DoubleClickHeight=65");
  EXPECT_EQ(set.exitCode, 1);
  EXPECT_EQ(set.out, "DoubleClickSpeed=900 DoubleClickWidth=32 DoubleClickHeight=4\n");
  EXPECT_NE(set.err.find("refuses DoubleClickHeight=65"), std::string::npos);
  EXPECT_EQ(Qxmachine("desktop DoubleClickSpeed=fast").exitCode, 64);
  // A restart starts the desktop from its defaults again.
  Qxmachine("restart");
  EXPECT_EQ(Qxmachine("desktop").out, "DoubleClickSpeed=500 DoubleClickWidth=4 DoubleClickHeight=4\n");
}

// A run/ that is a link (a person's $XDG_RUNTIME_DIR) is set aside at the restart, not emptied:
// the folder it names keeps its files. A link inside run/ goes, what it names stays.
TEST_F(MachineTest, ARunFolderThatIsALinkIsSetAsideAndWhatItNamesKeepsItsFiles) {
  Folder mine, other;
  WriteFile(mine.path() + "/file", "the person's");
  WriteFile(other.path() + "/file", "another of the person's");
  std::filesystem::create_directory_symlink(mine.path(), root_.path() + "/run");
  ASSERT_EQ(Qxmachine("boot").exitCode, 0);
  std::filesystem::create_directory_symlink(other.path(), root_.path() + "/run/linked");

  const RunResult restart = Qxmachine("restart");
  EXPECT_EQ(restart.exitCode, 0) << restart.err;
  EXPECT_NE(restart.err.find("run/ was a link to " + mine.path() + ": set aside as run.link"), std::string::npos)
      << restart.err;
  EXPECT_EQ(ReadFile(mine.path() + "/file"), "the person's");
  EXPECT_TRUE(std::filesystem::is_symlink(root_.path() + "/run.link"));
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::symlink_status(root_.path() + "/run")));

  std::filesystem::create_directory_symlink(other.path(), root_.path() + "/run/linked");
  EXPECT_EQ(Qxmachine("restart").exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(root_.path() + "/run/linked")));
  EXPECT_EQ(ReadFile(other.path() + "/file"), "another of the person's");
}

// A Unix socket at PATH that this process listens on, closed with the object.
class PlantedSocket {
 public:
  explicit PlantedSocket(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << path;
    EXPECT_EQ(::listen(fd_, 4), 0);
  }
  ~PlantedSocket() { ::close(fd_); }

 private:
  int fd_;
};

// Files planted in run/ name processes that are not the root's: a symbolic and a hard link to
// lock files another root's device service and program hold, a socket anyone bound under a
// process's number, another root's window socket linked in. A shutdown ends none of them.
TEST_F(MachineTest, PlantedLocksAndSocketsEndNothingThatIsNotTheRoots) {
  Folder other;
  const std::string otherStartUp = other.path() + "/drive_c/WINDOWS/Start Menu/Programs/StartUp/";
  WriteFile(otherStartUp + "a.desktop", "[Desktop Entry]\nExec=" + Program("machine_stand_in") + " --name other\n");
  WriteFile(otherStartUp + "b.desktop",
            "[Desktop Entry]\nExec=" + Program("bus_test_window") + " --caption \"Other root\"\n");
  const RunResult boot = QxmachineOn(other.path(), "boot");
  ASSERT_EQ(boot.exitCode, 0) << boot.err;
  const std::string otherRun = other.path() + "/run";
  std::vector<pid_t> windows;
  ASSERT_TRUE(test::WaitUntil(
      [&] {
        windows = WindowSockets(otherRun + "/windows");
        return std::filesystem::exists(otherRun + "/other.lock") && windows.size() == 1;
      },
      20000));
  const pid_t otherWindows = windows[0];
  const pid_t otherService = ProcessSaid(boot.out, "started device service");
  const pid_t otherProgram = ProcessSaid(boot.out, "started a.desktop");
  // A process of no root, older than the socket planted under its number.
  const pid_t stranger = test::Spawn({"/usr/bin/env", "-u", "QX_ROOT", "/bin/sleep", "300"});
  std::this_thread::sleep_for(std::chrono::milliseconds(100));

  const std::string run = RunDir();
  std::filesystem::create_directories(run + "/windows");
  std::filesystem::create_symlink(otherRun + "/QXWMECOM.lock", run + "/QXWMECOM.lock");
  std::filesystem::create_hard_link(otherRun + "/other.lock", run + "/linked.lock");
  std::filesystem::create_hard_link(otherRun + "/windows/" + std::to_string(otherWindows),
                                    run + "/windows/" + std::to_string(otherWindows));
  PlantedSocket planted(run + "/windows/" + std::to_string(stranger));

  const RunResult status = Qxmachine("status");
  EXPECT_EQ(status.exitCode, 3);
  EXPECT_NE(status.out.find("programs:\n  none\n"), std::string::npos) << status.out;
  const RunResult shutdown = Qxmachine("shutdown", {"QX_END_TIMEOUT_MS=500"});
  EXPECT_EQ(shutdown.exitCode, 0) << shutdown.err;
  EXPECT_EQ(shutdown.out, "");
  for (pid_t pid : {otherService, otherProgram, otherWindows, stranger}) EXPECT_TRUE(Running(pid)) << pid;
  test::KillAndWait(stranger, SIGKILL);
  QxmachineOn(other.path(), "shutdown", {"QX_END_TIMEOUT_MS=500"});
}

// What is no regular file of at most 1 MiB, where the machine reads a profile file or a list of
// its run/, is neither waited on nor carried out: every command ends in its usual time and says why.
TEST_F(MachineTest, AFifoOrAHugeFileWhereAProfileFileBelongsHoldsNothingUp) {
  const std::string wininit = root_.path() + "/drive_c/WINDOWS/WININIT.INI";
  const std::string victim = root_.path() + "/drive_c/victim.txt";
  struct Case {
    const char* what;
    std::string file;
    std::string command;
    int exitCode;
    const char* said;
  };
  for (const Case& c : {Case{"a FIFO for WININIT.INI", wininit, "boot", 1, "not a readable file of at most 1 MiB"},
                        Case{"an 8 MB WININIT.INI", wininit, "boot", 1, "not a readable file of at most 1 MiB"},
                        Case{"a FIFO for the desktop's values", RunDir() + "/desktop/mouse.ini", "desktop", 0, ""},
                        Case{"a FIFO for the calls made to fail", RunDir() + "/failing-calls", "desktop", 0, ""},
                        Case{"a FIFO for the log-on's processes", RunDir() + "/logon-started", "status", 3, ""}}) {
    SCOPED_TRACE(c.what);
    std::filesystem::create_directories(std::filesystem::path(c.file).parent_path());
    WriteFile(victim, "kept");
    if (std::string(c.what).find("FIFO") != std::string::npos) {
      ASSERT_EQ(::mkfifo(c.file.c_str(), 0600), 0);
    } else {
      WriteFile(c.file, "[rename]\r\nNUL=C:\\victim.txt\r\n" + std::string(8u << 20, ';'));
    }
    const RunResult result = Qxmachine(c.command);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.out << result.err;
    EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(victim), "kept");
    EXPECT_TRUE(std::filesystem::exists(c.file));
    if (c.command == "desktop") {
      EXPECT_EQ(result.out, "DoubleClickSpeed=500 DoubleClickWidth=4 DoubleClickHeight=4\n");
    }
    Qxmachine("shutdown");
    std::filesystem::remove(c.file);
  }
}

// A root's path is the person's: a "\" in it is part of a folder's name, and a root too long for
// its sockets is refused at boot with the reason.
TEST_F(MachineTest, ARootWithABackslashBootsAndOneTooLongForItsSocketsIsRefusedWithTheReason) {
  const std::string slashed = root_.path() + "/back\\slash";
  WriteFile(slashed + "/drive_c/WINDOWS/Start Menu/Programs/StartUp/sleeper.desktop",
            "[Desktop Entry]\nExec=/bin/sleep 300\n");
  const RunResult boot = QxmachineOn(slashed, "boot");
  EXPECT_EQ(boot.exitCode, 0) << boot.err;
  EXPECT_NE(boot.out.find("started sleeper.desktop"), std::string::npos) << boot.out << boot.err;
  QxmachineOn(slashed, "shutdown");

  const std::string longRoot = root_.path() + "/" + std::string(99 - root_.path().size(), 'r');
  const RunResult refused = QxmachineOn(longRoot, "boot");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("100 bytes long, too long for the sockets in its run/ (at most 82)"), std::string::npos)
      << refused.err;
}

// Restarts asked for at once take turns: each log-on runs once its restart has ended what the one
// before started, so one copy of each log-on program runs at the end, and every restart succeeds.
TEST_F(MachineTest, RestartsAtOnceTakeTurnsAndLeaveOneCopyOfEachLogonProgram) {
  AddLogonEntry("sleeper.desktop", "Exec=/bin/sleep 300\n");
  ASSERT_EQ(Qxmachine("boot").exitCode, 0);
  for (int round = 0; round < 3; ++round) {
    RunResult first, second;
    std::thread other([&] { first = Qxmachine("restart", {"QX_END_TIMEOUT_MS=500"}); });
    second = Qxmachine("restart", {"QX_END_TIMEOUT_MS=500"});
    other.join();
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(LogonStarted(MachineRoot()), 1);
  }
}

// A device service killed leaves the machine's programs running against nothing: the boot that
// starts it again ends them first, so the log-on does not start a second copy beside each.
TEST_F(MachineTest, ABootAfterTheServiceWasKilledLeavesOneCopyOfEachLogonProgram) {
  AddLogonEntry("sleeper.desktop", "Exec=/bin/sleep 300\n");
  const mode_t umask = ::umask(0);
  const RunResult boot = Qxmachine("boot");
  ::umask(umask);
  ASSERT_EQ(boot.exitCode, 0) << boot.err;
  struct stat st {};
  ASSERT_EQ(::stat((RunDir() + "/logon-started").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);  // the owner's, whatever the umask
  const pid_t first = ProcessSaid(boot.out, "started sleeper.desktop");
  for (int round = 0; round < 2; ++round) {
    // Never a signal to process 0, which is this test's whole group: the service is found first.
    pid_t service = 0;
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (service = ProcessSaid(Qxmachine("status").out, "device service: running")) > 0; }, 20000));
    ASSERT_EQ(::kill(service, SIGKILL), 0);
    ASSERT_TRUE(test::WaitUntil([] { return Qxmachine("status").exitCode == 3; }, 20000));
    const RunResult again = Qxmachine("boot", {"QX_END_TIMEOUT_MS=500"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(LogonStarted(MachineRoot()), 1);
  }
  EXPECT_FALSE(Running(first));
}

}  // namespace
}  // namespace qx
