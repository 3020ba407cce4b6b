// unins000.exe, the package's uninstaller: with "/SILENT" it removes what install-suite
// installed, as the list beside it names it (tools/unins000/package_list.h), itself and its list
// last, and ends. It asks nothing and shows nothing; what it could not remove is said on stderr.
#include <strings.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/machine_root.h"
#include "tools/unins000/package_list.h"

namespace {

constexpr char kListFile[] = "unins000.lst";

void Usage(std::FILE* out) {
  std::fputs(
      "usage: unins000.exe [--root DIR] /SILENT\n"
      "  removes what the package installed (the list unins000.lst beside it), then itself\n"
      "Exit codes: 0 removed, 1 something could not be removed (said on stderr), 64 usage.\n",
      out);
}

bool IsSilent(const char* arg) { return !strcasecmp(arg, "/SILENT") || !strcasecmp(arg, "/VERYSILENT"); }

std::string OwnPath() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "";
}

std::string ReadAll(const std::string& path, bool& ok) {
  std::string text;
  std::FILE* in = std::fopen(path.c_str(), "rb");
  ok = in != nullptr;
  if (!in) return text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
  std::fclose(in);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  bool silent = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--root") && i + 1 < argc) {
      qx::SetMachineRoot(argv[++i]);
    } else if (IsSilent(argv[i])) {
      silent = true;
    } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      Usage(stdout);
      return 0;
    } else {
      std::fprintf(stderr, "unins000: unknown argument '%s'\n", argv[i]);
      Usage(stderr);
      return 64;
    }
  }
  if (!silent) {
    Usage(stderr);
    return 64;
  }

  const std::string self = OwnPath();
  const std::string list = self.substr(0, self.rfind('/') + 1) + kListFile;
  bool read = false;
  const std::string text = ReadAll(list, read);
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
