#include "platform/installation_paths.h"

#include "core/settings_store.h"
#include "host/message_box.h"
#include "host/paths.h"

namespace qx {

bool InstallationPathsOnTheDrives(const std::string& title) {
  const struct {
    const char* folder;
    const char* value;
    const std::string& path;
  } folders[] = {{"installation folder", "InstallPath", InstallPath}, {"Windows folder", "WindowsPath", WindowsPath}};
  for (const auto& f : folders) {
    if (OnTheDrives(f.path)) continue;
    const std::string text =
        std::string("The ") + f.folder + " \"" + f.path + "\" (" + f.value + ") is not on the machine's drives!";
    MessageBoxA(0, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
    return false;
  }
  return true;
}

}  // namespace qx
