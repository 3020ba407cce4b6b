#include "host/profile_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>

#include "host/failing_calls.h"
#include "host/paths.h"
#include "host/regular_file.h"
#include "host/root_folder.h"

namespace qx {

namespace {

// The largest profile file the calls read or rewrite. The suite's own files are a few hundred bytes;
// a larger one (a file grown without bound, a planted one) reads as missing and is never
// rewritten, so no profile call spends more than a bounded time and memory on it.
constexpr std::size_t kMaxFileSize = 1u << 20;

// The file a profile call names: a bare file name lies in the Windows folder.
std::string ProfilePath(const std::string& fileName) {
  if (fileName.find_first_of("\\/:") == std::string::npos) return HostPath("C:\\WINDOWS\\" + fileName);
  return HostPath(fileName);
}

// The file's text as the reading call sees it: empty when it is not a regular file, cannot be
// read or is larger than kMaxFileSize.
std::string ReadProfile(const std::string& path) {
  const int fd = OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return "";
  std::string text = ReadFrom(fd, kMaxFileSize).value_or("");
  ::close(fd);
  return text;
}

// Writes TEXT to a new file beside PATH, with MODE, and renames it over PATH.
bool ReplaceFile(const std::string& path, const std::string& text, mode_t mode) {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return dir && ReplaceFileIn(dir.get(), path.substr(slash + 1), text, mode);
}

// Opens PATH for the rewrite and holds its lock; -1 when it cannot. Writers lock the file they
// found; one that finds it replaced by another writer meanwhile locks the new file instead.
int LockForRewrite(const std::string& path, bool create) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    // A new file is its owner's alone, whatever the umask, as everything the suite makes is.
    int fd = OpenRegularFile(path, O_RDWR | (create ? O_CREAT : 0), 0600);
    if (fd < 0) return -1;
    int locked;
    do {
      locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    struct stat held {
    }, now{};
    if (locked == 0 && ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &now) == 0 && held.st_ino == now.st_ino &&
        held.st_dev == now.st_dev)
      return fd;
    ::close(fd);
    if (locked != 0) return -1;
  }
  return -1;
}

// Rewrites the file at PATH with EDIT applied to its text; a missing file counts as empty and is
// made only when the edit leaves text in it.
bool Rewrite(const std::string& path, const std::function<std::string(const std::string&)>& edit) {
  struct stat st {};
  const bool addsText = !edit("").empty();
  if (!addsText && ::stat(path.c_str(), &st) != 0) return true;
  int fd = LockForRewrite(path, addsText);
  if (fd < 0) return false;
  bool ok = false;
  if (::fstat(fd, &st) == 0) {
    std::optional<std::string> text = ReadFrom(fd, kMaxFileSize);
    if (text) {
      std::string edited = edit(*text);
      ok = edited == *text || ReplaceFile(path, edited, st.st_mode & 07777);
    }
  }
  ::close(fd);
  return ok;
}

// Copies NAMES, each followed by a zero and the list by another, into OUT of SIZE characters.
DWORD CopyNameList(const std::vector<std::string>& names, char* out, DWORD size) {
  if (size < 2) {
    if (size == 1) out[0] = '\0';
    return 0;
  }
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  if (list.size() + 1 > size) {
    std::memcpy(out, list.data(), size - 2);
    out[size - 2] = out[size - 1] = '\0';
    return size - 2;
  }
  std::memcpy(out, list.data(), list.size());
  out[list.size()] = '\0';
  return static_cast<DWORD>(list.size());
}

std::string WithoutEnclosingQuotes(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

bool WriteProfile(const char* section, const char* key, const char* value, const char* fileName) {
  if (!section || !fileName || !*fileName) return false;
  if (!profile::WritableSection(section) || (key && !profile::WritableKey(key)) ||
      (key && value && !profile::WritableValue(value)))
    return false;
  const std::string path = ProfilePath(fileName);
  return Rewrite(path, [&](const std::string& text) {
    if (!key) return profile::WithoutSection(text, section);
    if (!value) return profile::WithoutKey(text, section, key);
    return profile::WithValue(text, section, key, value);
  });
}

}  // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* returned,
                               DWORD size, const char* fileName) {
  if (!returned || size == 0) return 0;
  returned[0] = '\0';
  if (!fileName || CallFails("GetPrivateProfileStringA")) return 0;
  const std::string text = ReadProfile(ProfilePath(fileName));
  if (!section) return CopyNameList(profile::SectionNames(text), returned, size);
  if (!key) return CopyNameList(profile::KeyNames(text, section), returned, size);

  std::string value;
  if (auto found = profile::FindValue(text, section, key)) {
    value = WithoutEnclosingQuotes(*found);
  } else {
    value = defaultValue ? defaultValue : "";
    while (!value.empty() && value.back() == ' ') value.pop_back();
  }
  const std::size_t count = std::min<std::size_t>(value.size(), size - 1);
  std::memcpy(returned, value.data(), count);
  returned[count] = '\0';
  return static_cast<DWORD>(count);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* fileName) {
  if (CallFails("WritePrivateProfileStringA")) return FALSE;
  return WriteProfile(section, key, value, fileName) ? TRUE : FALSE;
}

bool WriteProfileValue(const std::string& fileName, const std::string& section, const std::string& key,
                       const std::string& value) {
  return WriteProfile(section.c_str(), key.c_str(), value.c_str(), fileName.c_str());
}

bool WriteProfileValues(const std::string& fileName, const std::string& section,
                        const std::vector<std::pair<std::string, std::string>>& values) {
  if (fileName.empty() || !profile::WritableSection(section)) return false;
  for (const auto& [key, value] : values)
    if (!profile::WritableKey(key) || !profile::WritableValue(value)) return false;
  return Rewrite(ProfilePath(fileName), [&](std::string text) {
    for (const auto& [key, value] : values) text = profile::WithValue(text, section, key, value);
    return text;
  });
}

bool ProfileFileWritable(const std::string& fileName) {
  const std::string path = ProfilePath(fileName);
  const int fd = OpenRegularFile(path, O_RDWR);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct stat st {};
  return errno == ENOENT && ::lstat(path.c_str(), &st) != 0 && ::access(folder.c_str(), W_OK) == 0;
}

bool AddProfileEntry(const std::string& fileName, const std::string& section, const std::string& key,
                     const std::string& value) {
  if (CallFails("WritePrivateProfileStringA") || fileName.empty()) return false;
  if (!profile::WritableSection(section) || !profile::WritableKey(key) || !profile::WritableValue(value)) return false;
  return Rewrite(ProfilePath(fileName),
                 [&](const std::string& text) { return profile::WithEntry(text, section, key, value); });
}

std::vector<profile::Entry> ProfileSectionEntries(const std::string& fileName, const std::string& section) {
  return profile::SectionEntries(ReadProfile(ProfilePath(fileName)), section);
}

bool ProfileFileReadable(const std::string& fileName) {
  const int fd = OpenRegularFile(ProfilePath(fileName), O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  const bool small = ::fstat(fd, &st) == 0 && static_cast<std::uintmax_t>(st.st_size) <= kMaxFileSize;
  ::close(fd);
  return small;
}

bool DropProfileEntries(const std::string& fileName, const std::string& section,
                        const std::function<bool(const profile::Entry&)>& drop) {
  return Rewrite(ProfilePath(fileName),
                 [&](const std::string& text) { return profile::WithoutEntries(text, section, drop); });
}

}  // namespace qx
