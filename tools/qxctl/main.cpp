// qxctl: the device service and the controller's settings from a shell.
#include "tools/common/tool_main.h"
#include "tools/qxctl/commands.h"

namespace {

const char kUsageText[] =
    "usage: qxctl [--root DIR] COMMAND [ARGS]\n"
    "  summary                      the six summary lines, as the control panel shows them\n"
    "  get [FIELD...]               settings fields (all when none is named)\n"
    "  set FIELD=VALUE...           change settings fields in the controller\n"
    "  block                        the 82-byte settings block in hex\n"
    "  controller present|absent    plug the simulated controller in or out\n"
    "  controller rate [N]          the controller's reports a second while a finger is down\n"
    "                               (1..1000, default 100), or set it\n"
    "  touch X Y [--reports N]      N touch reports at raw X, Y at once (default 1)\n"
    "  press X Y [--jitter N]       a finger down at raw X, Y (or moved there), reported at the\n"
    "                               controller's rate until lift; each report off by up to N\n"
    "  lift                         the finger lifts: a report that it has, where it was\n"
    "  pointer                      where the last report put the pointer\n"
    "  output                       the touch input and the pointer output in force\n"
    "  input [auto|simulated|PATH|NAME]\n"
    "                               the root's input setting, or set it (taken at once): the\n"
    "                               touchscreen udev finds, the simulated controller, an event node,\n"
    "                               or a touchscreen's name or vvvv:pppp\n"
    "  map-to-output [NAME|auto]    the desktop's monitors, the touchscreen's marked *, or put the\n"
    "                               touchscreen on the monitor NAME (auto: as the desktops choose)\n"
    "  journal [--clear]            the service's request journal\n"
    "  rbf                          the right-button registration\n"
    "  smi [WINDOW ROTATION]        the companion's registration (or register one)\n"
    "  calibrate --method corner|side --screen WxH [--rotation N] X1,Y1 X2,Y2 X3,Y3 X4,Y4\n"
    "                               the calibration values for four raw points, in the order\n"
    "                               measured (no device needed)\n"
    "  replay FILE [--speed N] [--fast]\n"
    "                               plays a recording (evemu format) as the controller's reports, at\n"
    "                               its pace, N times faster, or at once; exit 2 for a bad file\n"
    "  record FILE [--seconds N]    writes the controller's reports as a recording, for N seconds or\n"
    "                               until Ctrl-C\n"
    "  export-calibration libinput|xinput|xorg [--device NAME] [--write]\n"
    "                               the calibration in force as the Linux input stack takes it;\n"
    "                               --write puts the libinput rule under DIR/etc/udev/rules.d\n"
    "DIR: --root, else QX_ROOT, else the default root.\n"
    "Exit codes: 0 done, 1 failed, 2 no device service, 3 no controller, 4 the device service did not\n"
    "answer within QX_DEVICE_TIMEOUT_MS (default 3000), 64 usage.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace qx::ctl;
  return qx::tool::RunTool(argc, argv, "qxctl", kUsageText,
                           {
                               {"summary", Summary},
                               {"get", Get},
                               {"set", Set},
                               {"block", Block},
                               {"controller", ControllerCmd},
                               {"touch", Touch},
                               {"press", Press},
                               {"lift", Lift},
                               {"pointer", Pointer},
                               {"output", Output},
                               {"input", Input},
                               {"map-to-output", MapToOutput},
                               {"journal", JournalCmd},
                               {"rbf", Rbf},
                               {"smi", Smi},
                               {"calibrate", Calibrate},
                               {"replay", Replay},
                               {"record", Record},
                               {"export-calibration", ExportCalibration},
                           });
}
