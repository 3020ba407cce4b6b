#include "tools/qxmachine/logon_entries.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "host/paths.h"
#include "host/process_start.h"
#include "host/profile_file.h"
#include "tools/qxmachine/root_processes.h"

namespace qx::machine {

namespace {

constexpr char kGroup[] = "Desktop Entry";

// The escapes every string value may hold: \s \n \t \r \\.
std::string Unescaped(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (char c = value[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: out += '\\', out += c;
    }
  }
  return out;
}

std::optional<std::string> Value(const std::vector<profile::Entry>& entries, const std::string& key) {
  for (const profile::Entry& e : entries)
    if (e.key == key) return e.value;
  return std::nullopt;
}

// PROGRAM as a file to run: a path as it is, a bare name from PATH.
std::string Locate(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return program;
}

const char* StartFailure(UINT code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return "no such program";
    case ERROR_PATH_NOT_FOUND: return "no such folder";
    case ERROR_BAD_FORMAT: return "not a program that runs";
    default: return "it could not be started";
  }
}

// The log-on's programs run on the person's display. A caller's stand-in platform is not theirs:
// an installer run with nobody at a screen sets QT_QPA_PLATFORM=offscreen, and the restart it asks
// for inherits it. With a display named it goes; with none, the programs keep it, having nowhere
// else to run (and the companion reports no screen size from it).
void LeaveTheStandInPlatform() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool display = (x11 && *x11) || (wayland && *wayland);
  if (display && platform && std::string_view(platform) == "offscreen") ::unsetenv("QT_QPA_PLATFORM");
}

}  // namespace

std::optional<std::vector<std::string>> SplitExec(std::string_view exec) {
  const std::string text = Unescaped(exec);
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false, fieldCodeOnly = false;
  auto endWord = [&] {
    if (inWord && !fieldCodeOnly) words.push_back(word);
    word.clear();
    inWord = fieldCodeOnly = false;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"') quoted = false;
      else if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') word += text[++i];  // a literal %
      else if (c == '\\' && i + 1 < text.size() &&
               std::string_view("\"`$\\").find(text[i + 1]) != std::string_view::npos)
        word += text[++i];
      else word += c;
    } else if (c == ' ' || c == '\t' || c == '\n') {
      endWord();
    } else if (c == '"') {
      quoted = inWord = true;
    } else if (c == '%' && i + 1 < text.size()) {
      // "%%" is a percent sign; any other field code stands for nothing here.
      if (text[++i] == '%') word += '%';
      else if (!inWord) fieldCodeOnly = true;
      inWord = true;
    } else {
      word += c;
      inWord = true;
      fieldCodeOnly = false;
    }
  }
  if (quoted) return std::nullopt;
  endWord();
  return words;
}

std::vector<LogonEntry> LogonEntries() {
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  for (const auto& item : std::filesystem::directory_iterator(HostPath(kStartUpFolder), ec)) {
    std::string ext = item.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".desktop" && item.is_regular_file(ec)) files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<LogonEntry> entries;
  for (const auto& file : files) {
    const auto values = ProfileSectionEntries(file.string(), kGroup);
    if (Value(values, "Hidden") == "true" || Value(values, "Type").value_or("Application") != "Application") continue;
    entries.push_back({file.filename().string(), Value(values, "Exec").value_or("")});
  }
  return entries;
}

bool RunLogonEntries() {
  LeaveTheStandInPlatform();
  bool ok = true;
  for (const LogonEntry& entry : LogonEntries()) {
    auto words = SplitExec(entry.exec);
    if (!words || words->empty()) {
      std::fprintf(stderr, "qxmachine: log-on entry %s: no Exec line to run\n", entry.file.c_str());
      ok = false;
      continue;
    }
    (*words)[0] = Locate((*words)[0]);
    DWORD pid = 0;
    UINT started = StartHostProgram(*words, SW_SHOWNORMAL, &pid);
    if (started == EXEC_STARTED) {
      RememberLogonStart(static_cast<pid_t>(pid));
      std::printf("started %s (process %u)\n", entry.file.c_str(), pid);
    } else {
      std::fprintf(stderr, "qxmachine: log-on entry %s: %s: %s\n", entry.file.c_str(), (*words)[0].c_str(),
                   StartFailure(started));
      ok = false;
    }
  }
  std::fflush(stdout);
  return ok;
}

}  // namespace qx::machine
