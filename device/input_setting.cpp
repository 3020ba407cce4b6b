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
  return WriteProfileValue(file, "Touchscreen", "Name", t.name) &&
         WriteProfileValue(file, "Touchscreen", "Id", t.IdText()) &&
         WriteProfileValue(file, "Touchscreen", "Phys", t.phys);
}

bool SaveMonitorChoice(const std::string& file, const MonitorChoice& m) {
  return WriteProfileValue(file, "Monitor", "Output", m.output) &&
         WriteProfileValue(file, "Monitor", "Maker", m.maker) && WriteProfileValue(file, "Monitor", "Model", m.model) &&
         WriteProfileValue(file, "Monitor", "Serial", m.serial);
}

}  // namespace qx
