#include "device/input_setting.h"

#include <cstdlib>

#include "host/profile_file.h"

namespace qx {

namespace {

std::string Read(const std::string& file, const char* section, const char* key, const char* fallback = "") {
  char value[512];
  GetPrivateProfileStringA(section, key, fallback, value, sizeof value, file.c_str());
  return value;
}

}  // namespace

bool ValidInputUse(const std::string& use) {
  return !use.empty() && use.size() < 256 && use.find_first_of("\r\n") == std::string::npos &&
         use.find_first_not_of(" \t") != std::string::npos;
}

std::string InputSettingFile(const std::string& deviceDir) { return deviceDir + "/input.ini"; }

InputSetting LoadInputSetting(const std::string& file) {
  InputSetting s;
  const std::string use = Read(file, "Input", "Use", "simulated");
  if (ValidInputUse(use)) s.use = use;
  s.touchscreen.name = Read(file, "Touchscreen", "Name");
  s.touchscreen.phys = Read(file, "Touchscreen", "Phys");
  const std::string id = Read(file, "Touchscreen", "Id");
  if (id.size() == 9 && id[4] == ':') {
    s.touchscreen.vendor = static_cast<std::uint16_t>(std::strtoul(id.substr(0, 4).c_str(), nullptr, 16));
    s.touchscreen.product = static_cast<std::uint16_t>(std::strtoul(id.substr(5).c_str(), nullptr, 16));
  }
  s.monitor = {Read(file, "Monitor", "Output"), Read(file, "Monitor", "Maker"), Read(file, "Monitor", "Model"),
               Read(file, "Monitor", "Serial")};
  return s;
}

bool SaveInputUse(const std::string& file, const std::string& use) {
  return ValidInputUse(use) && WriteProfileValue(file, "Input", "Use", use);
}

bool SaveTouchscreen(const std::string& file, const TouchscreenIdentity& t) {
  return WriteProfileValues(file, "Touchscreen", {{"Name", t.name}, {"Id", t.IdText()}, {"Phys", t.phys}});
}

bool SaveMonitorChoice(const std::string& file, const MonitorChoice& m) {
  return WriteProfileValues(file, "Monitor",
                            {{"Output", m.output}, {"Maker", m.maker}, {"Model", m.model}, {"Serial", m.serial}});
}

}  // namespace qx
