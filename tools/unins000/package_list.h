// The list of what the package installed, which install-suite writes beside unins000.exe
// ("unins000.lst"), and its removal. One entry a line, KIND, a tab, then the path:
//
//   file      a file the package copied or wrote: C:\... (in the root) or /... (a host path,
//             such as a desktop launcher)
//   key       a registry key the package made, deleted with its subkeys: HKLM\SOFTWARE\...
//   emptykey  a registry key deleted only when it holds no value and no subkey (a parent the
//             package made, which another product may share)
//   folder    a folder the package made, removed only when empty (listed deepest first)
//
// Lines that are empty or begin with "#" are notes. Nothing outside the list is touched, and
// nothing is removed recursively but a listed key: files a person added stay, with their folders.
// Nor is the list trusted beyond what install-suite writes in it: a file or folder inside the
// machine root's drives, a host file only where install-suite --desktop puts its launcher and
// autostart entry (below the XDG folders), a key only the suite's own key (HKLM, SUITE_KEY_PATH
// and SUITE_SUB_KEY) or one below it, an emptykey also its parents up to the vendor's. Any other
// entry is refused with a line on stderr, and the rest removed.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qx::unins {

enum class Kind { File, Key, EmptyKey, Folder };

struct Entry {
  Kind kind;
  std::string path;
};

// The entries of TEXT in order; nullopt (with the line number in ERROR) for a line of no known kind.
std::optional<std::vector<Entry>> ParseList(const std::string& text, std::string& error);

// Removes the entries the list may name: the files, then the keys, then SELF (this program and
// its list: host paths), then the folders. What is already gone counts as removed. Each refusal
// and failure is said on stderr; false when there was one.
bool RemoveInstalled(const std::vector<Entry>& entries, const std::vector<std::string>& self);

}  // namespace qx::unins
