#include "core/settings_store.h"

#include "core/registry_access.h"
#include "host/program_state.h"

namespace qx {

std::string VenderName;
std::string VenderStyle;
std::string InstallPath;
std::string WindowsPath;
std::string SystemPath;
std::string HardwareID;
std::int32_t CalibrationMode = 0;

namespace {

const ProgramState kSettingsStoreState([] {
  for (std::string* text : {&VenderName, &VenderStyle, &InstallPath, &WindowsPath, &SystemPath, &HardwareID})
    text->clear();
  CalibrationMode = 0;
});

}  // namespace

namespace {

// Opens the suite's key, creating it when missing, as every operation here does.
bool OpenSuiteKey(HKEY& key) {
  std::string subKey = SUITE_SUB_KEY;
  return CreateKey(HKEY_LOCAL_MACHINE, SUITE_KEY_PATH, subKey, key);
}

}  // namespace

bool LoadInstallation() {
  HKEY key = 0;
  if (!OpenSuiteKey(key)) return false;
  // Every read is made even after one fails, so that whatever is there gets loaded.
  bool ok = QueryString(key, "VenderName", VenderName);
  ok = QueryString(key, "VenderStyle", VenderStyle) && ok;
  ok = QueryString(key, "InstallPath", InstallPath) && ok;
  ok = QueryString(key, "WindowsPath", WindowsPath) && ok;
  ok = QueryString(key, "SystemPath", SystemPath) && ok;
  ok = QueryString(key, "HardwareID", HardwareID) && ok;
  CloseKey(key);
  return ok;
}

bool LoadCalibrationMode() {
  HKEY key = 0;
  if (!OpenSuiteKey(key)) return false;
  bool ok = QueryDword(key, "CalibrationMode", CalibrationMode);
  CloseKey(key);
  return ok;
}

bool SaveCalibrationMode() {
  HKEY key = 0;
  if (!OpenSuiteKey(key)) return false;
  bool ok = SetDword(key, "CalibrationMode", CalibrationMode);
  CloseKey(key);
  return ok;
}

}  // namespace qx
