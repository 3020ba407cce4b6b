// GetPrivateProfileStringA and WritePrivateProfileStringA over files of the machine root (the
// text rules are in host/profile_text.h). A file name without a folder lies in the Windows
// folder, C:\WINDOWS, as on Windows; other paths map through HostPath.
//
// A file that is missing or unreadable reads as an empty file, and one that is not text like any
// other. What is no regular file (a FIFO, a folder) or is larger than 1 MiB reads as missing, at
// once, and is never written. A new file is made 0600. A write replaces the file whole and at once
// (a new file renamed over the old, which keeps its permissions), so a reader sees the old text
// or the new, and writers of one file take turns, so that none loses another's change.
// Both calls fail as run/failing-calls asks (host/failing_calls.h).
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/profile_text.h"
#include "host/win_types.h"

namespace qx {

// Copies the value of KEY in SECTION of FILE_NAME, trimmed and without one pair of enclosing
// quotes ('…' or "…"), else DEFAULT_VALUE (null: "", trailing blanks removed), into RETURNED:
// at most SIZE - 1 characters and a terminating zero. Returns the number of characters copied.
// With KEY null, RETURNED gets the section's key names, with SECTION null the section names:
// each name followed by a zero, the list by another; cut short, the count is SIZE - 2.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* returned,
                               DWORD size, const char* fileName);

// Sets KEY of SECTION to VALUE, creating the section (at the end) and the file (in a folder that
// exists) when missing; VALUE null deletes the key, KEY null deletes the whole section. Every
// other line of the file stays as it was. FALSE, and nothing written, when the file cannot be
// written or a name or the value cannot be read back as given (a line end in it, a "]" in the
// section name, an empty key or one with "=" or beginning with ";" or "[").
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* fileName);

// The same write as a stand-in makes it for itself, without the failures run/failing-calls asks
// for: KEY of SECTION := VALUE, all three writable.
bool WriteProfileValue(const std::string& fileName, const std::string& section, const std::string& key,
                       const std::string& value);

// Sets each KEY := VALUE of VALUES in SECTION of FILE_NAME in one write: all of them, or none when
// one cannot be written (a name or value that cannot be read back as given, or a file that cannot
// be written). Without the failures run/failing-calls asks for, as WriteProfileValue.
bool WriteProfileValues(const std::string& fileName, const std::string& section,
                        const std::vector<std::pair<std::string, std::string>>& values);

// Whether FILE_NAME can be written: a regular file that opens for writing, or a missing one in a
// folder that can be written to.
bool ProfileFileWritable(const std::string& fileName);

// Adds the entry KEY=VALUE to SECTION of FILE_NAME beside the entries there, other entries KEY
// included, unless that very entry is there; otherwise as WritePrivateProfileStringA writes (and
// fails as it does when run/failing-calls asks).
bool AddProfileEntry(const std::string& fileName, const std::string& section, const std::string& key,
                     const std::string& value);

// Every entry of SECTION in FILE_NAME in the order of the file, duplicates included, values
// trimmed and quotes kept: a whole section as a program that carries it out reads it.
std::vector<profile::Entry> ProfileSectionEntries(const std::string& fileName, const std::string& section);

// Whether FILE_NAME is a profile file the calls read: a regular file of at most 1 MiB that opens.
bool ProfileFileReadable(const std::string& fileName);

// Drops the entries of SECTION in FILE_NAME for which DROP is true, as a write does (every other
// line kept, the file replaced at once); true when the file was left without them.
bool DropProfileEntries(const std::string& fileName, const std::string& section,
                        const std::function<bool(const profile::Entry&)>& drop);

}  // namespace qx
