// The log-on entries of a machine root: XDG autostart files ("*.desktop") in the Windows StartUp
// group's folder, C:\WINDOWS\Start Menu\Programs\StartUp. At every log-on each entry of type
// Application that is not Hidden runs its Exec line, in the order of the file names, with the
// machine root in QX_ROOT. The Exec line is taken as the Desktop Entry Specification says: the
// program (a host path, or a name found in PATH) and its arguments, with "…" quoting, the
// escapes of string values and inside quotes, and its field codes (%f, %U, …) left out, since a
// log-on opens no files. The programs run on the display named by DISPLAY or WAYLAND_DISPLAY, never
// on the bare offscreen platform a caller ran under; with no display they keep the caller's.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::machine {

inline constexpr char kStartUpFolder[] = "C:\\WINDOWS\\Start Menu\\Programs\\StartUp";

// The words of an Exec value, or nothing when its quoting is broken.
std::optional<std::vector<std::string>> SplitExec(std::string_view exec);

struct LogonEntry {
  std::string file;  // the entry's file name
  std::string exec;  // its Exec value as written
};

// The entries that run, in order.
std::vector<LogonEntry> LogonEntries();

// Starts every entry; true when all started. Each start and failure is said on stdout / stderr.
bool RunLogonEntries();

}  // namespace qx::machine
