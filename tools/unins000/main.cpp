// unins000.exe, the package's uninstaller: with "/SILENT" it removes what install-suite
// installed, as the list beside it names it (tools/unins000/package_list.h), itself and its list
// last, and ends. It asks nothing and shows nothing; what it could not remove is said on stderr.
// It belongs to the installation it lies in: its machine root is the folder above the drive that
// holds it, and a root named otherwise (--root, QX_ROOT) that is another folder is refused.
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/exit_codes.h"
#include "core/suite_version.h"
#include "host/machine_root.h"
#include "host/regular_file.h"
#include "tools/unins000/package_list.h"

namespace {

constexpr char kListFile[] = "unins000.lst";

constexpr char kUsageLine[] = "Usage: unins000.exe [--root DIR] /SILENT\n";

void Help() {
  std::printf(
      "%s\n"
      "The package's uninstaller, in the installation folder of a machine root: removes what the\n"
      "package installed (the list unins000.lst beside it), then itself, from the machine root it lies\n"
      "in. It asks nothing and shows nothing; what it could not remove is said on stderr.\n"
      "\n"
      "Options:\n"
      "  /SILENT       remove (also /VERYSILENT, in any case); without it nothing is removed\n"
      "  --root DIR    the machine root, which must be the one it lies in (else QX_ROOT, if set)\n"
      "  -h, --help    print this text and exit\n"
      "  --version     print the suite's version and exit\n"
      "\n"
      "Exit status:\n"
      "  0   removed\n"
      "  1   something could not be removed or was refused (said on stderr)\n"
      "  64  usage: a wrong command line\n",
      kUsageLine);
}

int UsageError(const std::string& what) { return qx::PrintUsageError("unins000", what, kUsageLine, "unins000.exe"); }

bool IsSilent(const char* arg) { return !strcasecmp(arg, "/SILENT") || !strcasecmp(arg, "/VERYSILENT"); }

std::string OwnPath() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "";
}

// The machine root whose drive holds the file SELF: the folder above its nearest folder named
// "drive_<letter>"; "" when there is none.
std::string RootAbove(const std::string& self) {
  for (std::size_t slash = self.rfind('/'); slash != std::string::npos && slash > 0;
       slash = self.rfind('/', slash - 1)) {
    const std::size_t start = self.rfind('/', slash - 1);
    if (start == std::string::npos) break;
    const std::string name = self.substr(start + 1, slash - start - 1);
    if (name.size() == 7 && name.starts_with("drive_") && std::isalpha(static_cast<unsigned char>(name[6])))
      return self.substr(0, start);
  }
  return "";
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat x {
  }, y{};
  return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

// Makes the root this uninstaller lies in the machine root; false, said, when NAMED (a root given
// by --root or QX_ROOT, "" for none) is another one or there is none.
bool TakeOwnRoot(const std::string& self, const std::string& named) {
  const std::string own = RootAbove(self);
  if (own.empty()) {
    std::fprintf(stderr, "unins000: %s lies in no drive of a machine root; nothing removed\n", self.c_str());
    return false;
  }
  if (!named.empty() && !SameFolder(named, own)) {
    std::fprintf(stderr, "unins000: this uninstaller belongs to the machine root %s, not to %s; nothing removed\n",
                 own.c_str(), named.c_str());
    return false;
  }
  qx::SetMachineRoot(named.empty() ? own : named);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool silent = false;
  const char* environmentRoot = std::getenv("QX_ROOT");
  std::string named = environmentRoot ? environmentRoot : "";
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--root") && i + 1 < argc) {
      named = argv[++i];
    } else if (IsSilent(argv[i])) {
      silent = true;
    } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      Help();
      return qx::exit_code::kOk;
    } else if (!std::strcmp(argv[i], "--version")) {
      return qx::PrintVersion("unins000");
    } else {
      return UsageError(std::string("unknown or incomplete argument '") + argv[i] + "'");
    }
  }
  if (!silent) return UsageError("/SILENT is needed: nothing is removed without it");

  const std::string self = OwnPath();
  if (!TakeOwnRoot(self, named)) return 1;
  const std::string list = self.substr(0, self.rfind('/') + 1) + kListFile;
  // A FIFO or a folder there is no list: nothing is waited on, nothing removed.
  const std::optional<std::string> read = qx::ReadRegularFile(list, 16u << 20);
  const std::string text = read.value_or("");
  if (!read) {
    std::fprintf(stderr, "unins000: no list of what was installed: %s\n", list.c_str());
    return 1;
  }
  std::string error;
  const auto entries = qx::unins::ParseList(text, error);
  if (!entries) {
    std::fprintf(stderr, "unins000: %s: %s; nothing removed\n", list.c_str(), error.c_str());
    return 1;
  }
  return qx::unins::RemoveInstalled(*entries, {self, list}) ? 0 : 1;
}
