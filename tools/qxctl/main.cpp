// qxctl: the device service and the controller's settings from a shell.
#include "tools/common/tool_main.h"
#include "tools/qxctl/commands.h"

namespace {

const qx::tool::ToolHelp kHelp{
    "qxctl",
    "Speaks to the device service of a machine root as the suite's programs do: the controller's\n"
    "settings, the simulated controller's touches, the service's journal and registrations,\n"
    "recordings, and the calibration.",
    "FIELD: a field of the settings block, or one of the suite's own, by name (qxctl get lists them).\n",
    "  0   done\n"
    "  1   failed\n"
    "  2   no device service serves the machine root\n"
    "  3   no controller (\"TouchScreen Controller Not Found!\")\n"
    "  4   the device service did not answer within QX_DEVICE_TIMEOUT_MS (default 3000)\n"
    "  64  usage: a wrong command line\n"
    "  65  replay: a recording it refuses (before it looks for the service)\n",
};

}  // namespace

int main(int argc, char** argv) {
  using namespace qx::ctl;
  return qx::tool::RunTool(
      argc, argv, kHelp,
      {
          {"summary", "", "the six summary lines, as the control panel shows them", Summary},
          {"get", "[FIELD]...",
           "settings fields (all when none is named): the controller's, then\nthe suite's own: TouchOn, SteadyFinger, "
           "DoubleTap, HideCursor",
           Get},
          {"set", "FIELD=VALUE...", "change settings fields in the controller or the suite's own,\nall of them or none",
           Set},
          {"block", "", "the 82-byte settings block in hex", Block},
          {"controller", "present|absent", "plug the simulated controller in or out", ControllerCmd},
          {"controller", "rate [N]",
           "the controller's reports a second while a finger is down\n(1..1000, default 100), or set it",
           ControllerCmd},
          {"touch", "X Y [--reports N]", "N touch reports at raw X, Y at once (default 1)", Touch},
          {"touch", "off|on", "touches reach no pointer (the device stays taken), or do again", Touch},
          {"press", "X Y [--jitter N]",
           "a finger down at raw X, Y (or moved there), reported at the\ncontroller's rate until lift; each report off "
           "by up to N",
           Press},
          {"lift", "", "the finger lifts: a report that it has, where it was", Lift},
          {"pointer", "", "where the last report put the pointer", Pointer},
          {"output", "", "the touch input and the pointer output in force", Output},
          {"input", "[auto|simulated|PATH|NAME]",
           "the root's input setting, or set it (taken at once): the\ntouchscreen udev finds, the simulated "
           "controller, "
           "an event node,\nor a touchscreen's name or vvvv:pppp",
           Input},
          {"map-to-output", "[NAME|auto]",
           "the desktop's monitors, the touchscreen's marked *, or put the\ntouchscreen on the monitor NAME (auto: as "
           "the "
           "desktops choose)",
           MapToOutput},
          {"journal", "[--clear]", "the service's request journal", JournalCmd},
          {"rbf", "", "the right-button registration", Rbf},
          {"smi", "[WINDOW ROTATION]", "the companion's registration (or register one)", Smi},
          {"calibrate", "--method corner|side --screen WxH [--rotation N] X1,Y1 X2,Y2 X3,Y3 X4,Y4",
           "the calibration values for four raw points, in the order\nmeasured (no device needed)", Calibrate},
          {"replay", "FILE [--speed N] [--fast]",
           "plays a recording (evemu format) as the controller's reports, at\nits pace, N times faster (0.001 to "
           "1000000), or at once",
           Replay},
          {"record", "FILE [--seconds N]",
           "writes the controller's reports as a recording, for N seconds or\nuntil Ctrl-C (at most 256 MiB, what "
           "replay reads)",
           Record},
          {"export-calibration", "libinput|xinput|xorg [--device NAME] [--write]",
           "the calibration in force as the Linux input stack takes it;\n--write puts the libinput rule under "
           "DIR/etc/udev/rules.d",
           ExportCalibration},
      });
}
