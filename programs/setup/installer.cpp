#include "programs/setup/installer.h"

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "host/message_box.h"
#include "platform/file_exists.h"
#include "platform/ini_file.h"
#include "platform/installation_paths.h"
#include "platform/restart_windows.h"
#include "programs/setup/device_registration.h"
#include "programs/setup/setup_settings.h"
#include "ui/progress_window.h"

namespace qx {

namespace {

void Box(const std::string& text, UINT type = MB_OK) { MessageBoxA(0, text.c_str(), ProgramTitle(), type); }

// "setup.oem": a TITLE or STYLE that is not empty replaces "VenderName" or "VenderStyle" of the
// installation record, in the program and in the registry.
void TakeOemTitle(const std::string& oemPath) {
  if (!FileExists(oemPath)) return;
  HKEY key = 0;  // a key that cannot be opened leaves 0, which SetString refuses: the write fails
  OpenKey(HKEY_LOCAL_MACHINE, std::string(SUITE_KEY_PATH) + "\\" + SUITE_SUB_KEY, key);
  const std::string title = ReadIniString(oemPath, "SETUP", "TITLE");
  if (!title.empty()) {
    VenderName = title;
    if (!SetString(key, "VenderName", VenderName)) Box("Fail to Set Vender Name!");
  }
  const std::string style = ReadIniString(oemPath, "SETUP", "STYLE");
  if (!style.empty()) {
    VenderStyle = style;
    if (!SetString(key, "VenderStyle", VenderStyle)) Box("Fail to Set Vender Style!");
  }
  if (key) CloseKey(key);
}

}  // namespace

Installer::Installer() { setObjectName(QStringLiteral("Installer")); }

LoadResult Installer::Load() {
  ShowProgress("Setup is updating your system...");
  if (!LoadInstallation()) {
    Box("Fail to load data from Register File!");
    CloseProgress();
    return LoadResult::Failed;
  }
  // The files it reads and edits lie in the folders of the record: never outside the machine.
  if (!InstallationPathsOnTheDrives(ProgramTitle())) {
    CloseProgress();
    return LoadResult::Failed;
  }
  WriteInitialSettings(InstallPath + "\\setup.ini");
  TakeOemTitle(InstallPath + "\\setup.oem");
  // Entries written before a failure stay; the installation goes on to its restart.
  if (!RegisterDevice()) Box("Fail to config system registry!", MB_OK | MB_ICONWARNING);
  CloseProgress();
  Box("Setup has finished installing TouchScreen drivers and utilities on your computer.\r\n\r\n"
      "The Windows must be restarted.",
      MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
  // The restart ends this program with the others of the machine.
  return RestartWindows(ProgramTitle()) ? LoadResult::Finished : LoadResult::Failed;
}

}  // namespace qx
