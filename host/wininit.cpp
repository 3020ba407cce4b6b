#include "host/wininit.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/machine_root.h"
#include "host/paths.h"
#include "host/profile_file.h"

namespace qx {

namespace {

// Says TEXT on stderr, named after the program that carries the file out.
void Say(const std::string& text) { std::fprintf(stderr, "%s: WININIT.INI: %s\n", program_invocation_short_name, text.c_str()); }

// The file a line names, when it is on one of the machine's drives ("C:\…").
bool FileOnTheDrives(const std::string& windowsPath, std::string* file) {
  *file = HostPath(windowsPath);
  const std::string drives = MachineRoot() + "/drive_";
  return windowsPath.size() > 2 && windowsPath[1] == ':' && file->starts_with(drives) &&
         file->find('/', drives.size()) != std::string::npos;
}

bool Fail(const std::string& what) {
  Say(what + ": " + std::strerror(errno));
  return false;
}

bool Delete(const std::string& windowsPath) {
  std::string file;
  if (!FileOnTheDrives(windowsPath, &file)) {
    Say("skipped NUL=" + windowsPath + ": not a path on the machine's drives");
    return false;
  }
  struct stat st {};
  if (::lstat(file.c_str(), &st) != 0) return true;  // gone already
  const int removed = S_ISDIR(st.st_mode) ? ::rmdir(file.c_str()) : ::unlink(file.c_str());
  return removed == 0 || Fail("cannot delete " + windowsPath);
}

bool Rename(const std::string& newPath, const std::string& oldPath) {
  std::string from, to;
  if (!FileOnTheDrives(oldPath, &from) || !FileOnTheDrives(newPath, &to)) {
    Say("skipped " + newPath + "=" + oldPath + ": not a path on the machine's drives");
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0 || Fail("cannot rename " + oldPath + " to " + newPath);
}

}  // namespace

bool CarryOutWininit() {
  const std::string file = HostPath(kWininit);
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return true;
  // A FIFO would hold the boot forever, a huge file its memory: neither is carried out or moved.
  if (!ProfileFileReadable(kWininit)) {
    Say("not a readable file of at most 1 MiB: left as it is");
    return false;
  }
  bool ok = true;
  for (const profile::Entry& line : ProfileSectionEntries(kWininit, "rename"))
    ok = (profile::SameName(line.key, "NUL") ? Delete(line.value) : Rename(line.key, line.value)) && ok;
  const std::string backup = file.substr(0, file.find_last_of('/') + 1) + "WININIT.BAK";
  if (::rename(file.c_str(), backup.c_str()) != 0) ok = Fail("cannot rename it to WININIT.BAK");
  return ok;
}

bool KeepFiles(const std::vector<std::string>& windowsPaths) {
  if (!ProfileFileReadable(kWininit)) return true;  // missing, or a file no boot carries out
  std::vector<std::string> kept;
  for (const std::string& path : windowsPaths) kept.push_back(HostPath(path));
  const bool ok = DropProfileEntries(kWininit, "rename", [&](const profile::Entry& line) {
    return profile::SameName(line.key, "NUL") && OnTheDrives(line.value) &&
           std::find(kept.begin(), kept.end(), HostPath(line.value)) != kept.end();
  });
  if (!ok) Say("the deletions of the files kept could not be dropped");
  return ok;
}

}  // namespace qx
