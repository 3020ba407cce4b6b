// qxctl export-calibration: the calibration in force as the Linux input stack takes it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "host/machine_root.h"
#include "host/root_folder.h"
#include "tools/qxctl/calibration_export.h"
#include "tools/qxctl/commands.h"
#include "tools/qxctl/export_text.h"
#include "tools/qxctl/service_requests.h"

namespace qx::ctl {

namespace {

const char kRuleFile[] = "99-qx-com-calibration.rules";
const char kRuleFolder[] = "etc/udev/rules.d";

// The udev rule under the machine root's etc/udev/rules.d, and how a person puts it in place. The
// folders are reached from the root without following a link: the rule never lands outside.
int WriteRule(const std::string& rule) {
  const std::string path = MachineRoot() + "/" + kRuleFolder + "/" + kRuleFile;
  const UniqueFd folder = OpenRootFolder(kRuleFolder);
  if (!folder || !ReplaceFileIn(folder.get(), kRuleFile, rule, 0644)) {
    const bool link = errno == ELOOP || errno == ENOTDIR;  // as OpenRootFolder says
    std::fprintf(stderr, "qxctl: cannot write %s: %s\n", path.c_str(),
                 link ? "a folder on the way is a link or not a folder" : std::strerror(errno));
    return kFailed;
  }
  std::printf("# written to %s; to put it in place for the whole system:\n", path.c_str());
  std::printf(
      "# sudo install -m 644 '%s' /etc/udev/rules.d/ && sudo udevadm control --reload && "
      "sudo udevadm trigger --subsystem-match=input\n",
      path.c_str());
  return kOk;
}

}  // namespace

int ExportCalibration(const Args& args) {
  static const std::map<std::string, ExportFormat> formats = {
      {"libinput", ExportFormat::kLibinput}, {"xinput", ExportFormat::kXinput}, {"xorg", ExportFormat::kXorg}};
  if (args.empty() || !formats.count(args[0])) return kUsage;
  const ExportFormat format = formats.at(args[0]);
  std::string device;
  bool named = false, write = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--write" && format == ExportFormat::kLibinput) write = true;
    else if (args[i] == "--device" && i + 1 < args.size()) named = true, device = args[++i];
    else return kUsage;
  }
  if (int rc = Open()) return rc;
  SettingsBlock block{};
  InputInfo input{};
  const bool ok = Request(IOCTL_SIM_GET_BLOCK, block) && Request(IOCTL_GET_INPUT, input);
  CloseDriver();
  if (!ok) return NoAnswer();
  // The touchscreen in force names the device, unless the person named one.
  if (!named && input.Kind == INPUT_TOUCHSCREEN)
    device = std::string(input.Name, strnlen(input.Name, sizeof input.Name));
  const CalibrationExport e = qx::ExportCalibration(block, input.Axes, format);
  const std::string text = FormatExport(format, e, LargestDifference(e, format, block, input.Axes), device);
  std::fputs(text.c_str(), stdout);
  return write ? WriteRule(text) : kOk;
}

}  // namespace qx::ctl
