// The text of a profile (INI) file, read and edited as Windows' profile calls see it, without any
// file access: host/profile_file.h reads and writes the files.
//
// A line is a section header "[name]" (text after the first "]" is ignored), an entry
// "key=value" (split at the first "="), or anything else: comments (";" first), blank lines,
// lines without "=", stray bytes. Names and values are trimmed of blanks; names compare without
// regard to ASCII case. Lines end with CR LF, LF or a lone CR, and an edit keeps every other line,
// with its own line end, byte for byte.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::profile {

enum class LineKind { Section, Entry, Other };

struct Line {
  LineKind kind = LineKind::Other;
  std::string name;   // the section's name or the entry's key, trimmed
  std::string value;  // the entry's value, trimmed, quotes kept
  std::size_t start = 0;
  std::size_t length = 0;  // with the line end
};

std::vector<Line> Parse(std::string_view text);

// Whether A and B are the same name without regard to ASCII case.
bool SameName(std::string_view a, std::string_view b);

// The value of the first entry KEY in a section named SECTION (sections of one name count as
// one, in the order of the file); nothing when there is none.
std::optional<std::string> FindValue(std::string_view text, std::string_view section, std::string_view key);

// The names of the sections, and the keys of a section, each once, in the order of the file.
std::vector<std::string> SectionNames(std::string_view text);
std::vector<std::string> KeyNames(std::string_view text, std::string_view section);

struct Entry {
  std::string key;
  std::string value;
};
// Every entry of the sections named SECTION, duplicates included, in the order of the file.
std::vector<Entry> SectionEntries(std::string_view text, std::string_view section);

// Whether the names and the value can be written and read back as given: no line ends in any
// of them, a section name without "]", a key that is not empty and holds no "=" and does not
// begin as a comment or a section would.
bool WritableSection(std::string_view section);
bool WritableKey(std::string_view key);
bool WritableValue(std::string_view value);

// TEXT with KEY set to VALUE: the first entry KEY of the section is rewritten in place; a new
// entry goes after the last entry of the first section of that name; a new section goes at the
// end of the text. The arguments must be writable (above).
std::string WithValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

// TEXT with the entry KEY=VALUE added where WithValue adds a new one, beside any other entry KEY
// (a section whose lines are each carried out, as WININIT.INI's "rename", holds one key many
// times); TEXT as it is when that very entry is there. The arguments must be writable.
std::string WithEntry(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

// TEXT without the entries of sections named SECTION for which DROP is true.
std::string WithoutEntries(std::string_view text, std::string_view section,
                           const std::function<bool(const Entry&)>& drop);

// TEXT without any entry KEY in sections named SECTION.
std::string WithoutKey(std::string_view text, std::string_view section, std::string_view key);

// TEXT without the sections named SECTION: each header and every line up to the next header.
std::string WithoutSection(std::string_view text, std::string_view section);

}  // namespace qx::profile
