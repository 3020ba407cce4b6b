// qxwmecomd: the device service that stands in for the touch-screen driver. It serves the driver's
// requests on <root>/run/QXWMECOM and keeps the controller's settings in <root>/device/.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/driver_records.h"
#include "core/exit_codes.h"
#include "core/suite_version.h"
#include "device/device_parts.h"
#include "device/initial_settings.h"
#include "device/pointer_choice.h"
#include "device/root_touch_setup.h"
#include "device/server.h"
#include "host/machine_root.h"

namespace {

qx::DeviceServer* running = nullptr;

void OnSignal(int) {
  if (running) running->Stop();
}

// The help on stdout (CODE 0), or WHAT is wrong and the usage line on stderr; CODE.
int Usage(int code, const std::string& what = "") {
  if (code) {
    return qx::PrintUsageError("qxwmecomd", what,
                               "Usage: qxwmecomd [--root DIR] [--pointer auto|x11|uinput|none]\n"
                               "                 [--touchscreen auto|PATH|NAME|simulated]\n");
  }
  std::printf(
      "Usage: qxwmecomd [--root DIR] [--pointer auto|x11|uinput|none] [--touchscreen auto|PATH|NAME|simulated]\n"
      "\n"
      "The device service: serves the touch-screen driver's requests on DIR/run/QXWMECOM and keeps the\n"
      "controller's settings in DIR/device/settings.bin. It runs in the foreground until SIGTERM or\n"
      "SIGINT; one runs for each machine root.\n"
      "\n"
      "Where the device broker's socket /run/qx-com/broker is there (the package's; QX_BROKER names\n"
      "another, or, empty, none), the broker makes the pointer device and opens the touchscreen;\n"
      "else the service opens them itself.\n"
      "\n"
      "Options:\n"
      "  --root DIR        the machine root: DIR, else QX_ROOT, else\n"
      "                    ${XDG_DATA_HOME:-~/.local/share}/qx-com\n"
      "  --pointer auto|x11|uinput|none\n"
      "                    where touches move the desktop's pointer (else QX_POINTER, else auto:\n"
      "                    uinput when the suite's pointer device can be had, from the device\n"
      "                    broker or on /dev/uinput, else the X server of DISPLAY, else none)\n"
      "  --touchscreen auto|PATH|NAME|simulated\n"
      "                    where the controller's touches come from, in place of the root's input\n"
      "                    setting (DIR/device/input.ini, set with qxctl input): auto, the\n"
      "                    touchscreen udev finds; an event node such as /dev/input/event5; a\n"
      "                    touchscreen's name or vvvv:pppp; simulated, the simulated controller alone\n"
      "  -h, --help        print this text and exit\n"
      "  --version         print the suite's version and exit\n"
      "\n"
      "Exit status:\n"
      "  0   ended by SIGTERM or SIGINT\n"
      "  1   failed: another device service runs for DIR, DIR cannot be made or served, or the\n"
      "      pointer output asked for cannot be had\n"
      "  64  usage: a wrong command line\n"
      "  65  --touchscreen (or the input setting) names a file that is no touchscreen\n");
  return code;
}

// The root's device/ and run/ folders, made when missing.
bool MakeRootFolders(const std::string& root, const std::string& deviceDir) {
  if (qx::MakeDirs(deviceDir) && qx::MakeDirs(root + "/run")) return true;
  std::fprintf(stderr, "qxwmecomd: cannot create %s or %s/run\n", deviceDir.c_str(), root.c_str());
  return false;
}

// One service per root: the lock is held, never closed, as long as this process lives.
bool TakeServiceLock(const std::string& root) {
  const std::string lockPath = root + "/run/" + qx::DRIVER_NAME + ".lock";
  const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0) return true;
  std::fprintf(stderr, "qxwmecomd: another device service runs for %s\n", root.c_str());
  return false;
}

// The input --touchscreen names, else the root's input setting; false when it names nothing that
// can be had (a path that is no touchscreen). A touchscreen that is not there yet is said by it.
bool UseInput(qx::TouchSide& touch, const std::string& named, const std::string& setting) {
  const std::string use = named.empty() ? setting : named;
  std::string why;
  if (!touch.UseInput(use, false, why)) {
    std::fprintf(stderr, "qxwmecomd: %s\n", why.c_str());
    return false;
  }
  std::fprintf(stderr, "qxwmecomd: input: %s\n", touch.DescribeInput().c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const char* pointerVariable = std::getenv("QX_POINTER");
  std::string pointer = pointerVariable && *pointerVariable ? pointerVariable : "auto";
  std::string touchscreenPath;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--root" && i + 1 < argc) qx::SetMachineRoot(argv[++i]);
    else if (arg == "--pointer" && i + 1 < argc) pointer = argv[++i];
    else if (arg == "--touchscreen" && i + 1 < argc) touchscreenPath = argv[++i];
    else if (arg == "--help" || arg == "-h") return Usage(qx::exit_code::kOk);
    else if (arg == "--version") return qx::PrintVersion("qxwmecomd");
    else return Usage(qx::exit_code::kUsage, "unknown or incomplete argument '" + arg + "'");
  }
  if (pointer != "auto" && pointer != "x11" && pointer != "uinput" && pointer != "none")
    return Usage(qx::exit_code::kUsage, "--pointer takes auto, x11, uinput or none, not '" + pointer + "'");

  const std::string root = qx::MachineRoot();
  const std::string deviceDir = root + "/device";
  if (!MakeRootFolders(root, deviceDir) || !qx::RootIsOwn("qxwmecomd") || !TakeServiceLock(root)) return 1;

  qx::RootTouchSetup setup(qx::InputSettingFile(deviceDir));
  qx::DeviceParts parts(qx::StateFile(deviceDir + "/settings.bin"));
  parts.touch.SetSetup(setup);
  if (!UseInput(parts.touch, touchscreenPath, setup.Setting().use)) return qx::exit_code::kBadData;
  // The installer's initial settings, when they are new: what the controller runs with from now.
  for (const std::string& problem : parts.controller.TakeInitialSettings(qx::ReadInitialSettings()))
    std::fprintf(stderr, "qxwmecomd: %s\n", problem.c_str());
  // The desktop's pointer, besides the simulated one.
  std::string pointerError;
  auto output =
      qx::ChoosePointerOutput(pointer, parts.touch.settings(), parts.touch.placement(), parts.journal, pointerError);
  if (!output) {
    std::fprintf(stderr, "qxwmecomd: --pointer %s\n", pointerError.c_str());
    return qx::exit_code::kFailed;
  }
  parts.touch.AttachOutput(*output);
  std::fprintf(stderr, "qxwmecomd: pointer output: %s\n", output->Describe().c_str());

  qx::DeviceServer server(root + "/run/" + qx::DRIVER_NAME, parts.controller, parts.touch);
  if (!server.Listen()) return 1;

  running = &server;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  server.Run();
  running = nullptr;
  return 0;
}
