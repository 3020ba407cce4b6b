#include "host/profile_text.h"

#include <algorithm>
#include <unordered_set>

namespace qx::profile {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// How many bytes of TEXT from AT make up the line end there (0 when none starts there).
std::size_t LineEndAt(std::string_view text, std::size_t at) {
  if (at >= text.size()) return 0;
  if (text[at] == '\r') return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
  return text[at] == '\n' ? 1 : 0;
}

Line Classify(std::string_view content) {
  Line line;
  std::string_view s = Trimmed(content);
  if (s.empty() || s.front() == ';') return line;
  if (s.front() == '[') {
    std::size_t close = s.find(']');
    if (close == std::string_view::npos) return line;
    line.kind = LineKind::Section;
    line.name = Trimmed(s.substr(1, close - 1));
    return line;
  }
  std::size_t eq = s.find('=');
  if (eq == std::string_view::npos) return line;
  std::string_view key = Trimmed(s.substr(0, eq));
  if (key.empty()) return line;
  line.kind = LineKind::Entry;
  line.name = key;
  line.value = Trimmed(s.substr(eq + 1));
  return line;
}

// The line end this text uses: that of its first line, else CR LF as Windows writes.
std::string_view LineEndOf(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (std::size_t n = LineEndAt(text, i)) return text.substr(i, n);
  return "\r\n";
}

bool EndsWithLineEnd(std::string_view text) { return !text.empty() && (text.back() == '\n' || text.back() == '\r'); }

// Calls VISIT(line) for every line of TEXT in order, keeping none of them: reading a file costs
// time in proportion to its length and memory only for what the caller keeps.
template <typename Visit>
void VisitLines(std::string_view text, Visit visit) {
  std::size_t at = 0;
  // A UTF-8 byte-order mark belongs to no name.
  std::size_t skip = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    Line line = Classify(text.substr(at + skip, end - at - skip));
    skip = 0;
    line.start = at;
    line.length = end - at + LineEndAt(text, end);
    at += line.length;
    visit(line);
  }
}

// Calls VISIT(line, inSection) for every line, inSection telling whether it lies in a section
// named SECTION (its header included).
template <typename Visit>
void ForEachLine(std::string_view text, std::string_view section, Visit visit) {
  bool inside = false;
  section = Trimmed(section);
  VisitLines(text, [&](const Line& line) {
    if (line.kind == LineKind::Section) inside = SameName(line.name, section);
    visit(line, inside);
  });
}

struct Span {
  std::size_t start;
  std::size_t length;
};

std::string Without(std::string_view text, const std::vector<Span>& dropped) {
  std::string out;
  std::size_t at = 0;
  for (const Span& line : dropped) {
    out.append(text.substr(at, line.start - at));
    at = line.start + line.length;
  }
  out.append(text.substr(at));
  return out;
}

// The names of a list, each once whatever its letter case: a set of the folded names beside the
// list keeps a file of many keys linear to read.
class NameList {
 public:
  void Add(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = Lower(c);
    if (seen_.insert(std::move(folded)).second) names_.push_back(name);
  }
  std::vector<std::string> Take() { return std::move(names_); }

 private:
  std::vector<std::string> names_;
  std::unordered_set<std::string> seen_;
};

}  // namespace

std::vector<Line> Parse(std::string_view text) {
  std::vector<Line> lines;
  VisitLines(text, [&](const Line& line) { lines.push_back(line); });
  return lines;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::optional<std::string> FindValue(std::string_view text, std::string_view section, std::string_view key) {
  std::optional<std::string> found;
  ForEachLine(text, section, [&](const Line& line, bool inside) {
    if (!found && inside && line.kind == LineKind::Entry && SameName(line.name, Trimmed(key))) found = line.value;
  });
  return found;
}

std::vector<std::string> SectionNames(std::string_view text) {
  NameList names;
  VisitLines(text, [&](const Line& line) {
    if (line.kind == LineKind::Section) names.Add(line.name);
  });
  return names.Take();
}

std::vector<std::string> KeyNames(std::string_view text, std::string_view section) {
  NameList names;
  ForEachLine(text, section, [&](const Line& line, bool inside) {
    if (inside && line.kind == LineKind::Entry) names.Add(line.name);
  });
  return names.Take();
}

std::vector<Entry> SectionEntries(std::string_view text, std::string_view section) {
  std::vector<Entry> entries;
  ForEachLine(text, section, [&](const Line& line, bool inside) {
    if (inside && line.kind == LineKind::Entry) entries.push_back({line.name, line.value});
  });
  return entries;
}

bool WritableSection(std::string_view section) { return section.find_first_of("\r\n]") == std::string_view::npos; }

bool WritableKey(std::string_view key) {
  std::string_view k = Trimmed(key);
  return !k.empty() && k.front() != ';' && k.front() != '[' && k.find_first_of("\r\n=") == std::string_view::npos;
}

bool WritableValue(std::string_view value) { return value.find_first_of("\r\n") == std::string_view::npos; }

namespace {

// Where a new entry of SECTION goes (after the last line of the first section of that name), and
// the first entry of the sections of that name for which MATCHES is true.
struct Placement {
  std::optional<Line> match;
  std::optional<Span> lastOfSection;
};

Placement Place(std::string_view text, std::string_view section, const std::function<bool(const Line&)>& matches) {
  Placement at;
  bool firstSectionDone = false;
  ForEachLine(text, section, [&](const Line& line, bool inside) {
    if (!inside) {
      if (at.lastOfSection) firstSectionDone = true;
      return;
    }
    if (!at.match && line.kind == LineKind::Entry && matches(line)) at.match = line;
    if (!firstSectionDone && line.kind != LineKind::Other) at.lastOfSection = Span{line.start, line.length};
  });
  return at;
}

// TEXT with the line ENTRY where PLACEMENT puts a new entry, or in a new section SECTION at the
// end when there is none; in the text's own line ends.
std::string WithNewEntry(std::string_view text, std::string_view section, const std::string& entry,
                         const Placement& placement) {
  const std::string_view eol = LineEndOf(text);
  std::string out(text);
  if (placement.lastOfSection) {
    std::size_t at = placement.lastOfSection->start + placement.lastOfSection->length;
    if (!EndsWithLineEnd(text.substr(0, at))) out.insert(at, std::string(eol) + entry);
    else out.insert(at, entry + std::string(eol));
    return out;
  }
  if (!text.empty() && !EndsWithLineEnd(text)) out += eol;
  out += "[" + std::string(Trimmed(section)) + "]" + std::string(eol) + entry + std::string(eol);
  return out;
}

}  // namespace

std::string WithValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
  key = Trimmed(key);
  const Placement placement = Place(text, section, [&](const Line& line) { return SameName(line.name, key); });
  if (!placement.match) return WithNewEntry(text, section, std::string(key) + "=" + std::string(value), placement);
  // The key keeps the spelling it has in the file; the line keeps its own line end.
  const Line& existing = *placement.match;
  std::size_t contentLength = existing.length;
  while (contentLength > 0 &&
         (text[existing.start + contentLength - 1] == '\r' || text[existing.start + contentLength - 1] == '\n'))
    --contentLength;
  std::string out(text);
  out.replace(existing.start, contentLength, existing.name + "=" + std::string(value));
  return out;
}

std::string WithEntry(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
  key = Trimmed(key);
  const Placement placement =
      Place(text, section, [&](const Line& line) { return SameName(line.name, key) && line.value == Trimmed(value); });
  if (placement.match) return std::string(text);
  return WithNewEntry(text, section, std::string(key) + "=" + std::string(value), placement);
}

std::string WithoutEntries(std::string_view text, std::string_view section,
                           const std::function<bool(const Entry&)>& drop) {
  std::vector<Span> dropped;
  ForEachLine(text, section, [&](const Line& line, bool inside) {
    if (inside && line.kind == LineKind::Entry && drop({line.name, line.value}))
      dropped.push_back({line.start, line.length});
  });
  return Without(text, dropped);
}

std::string WithoutKey(std::string_view text, std::string_view section, std::string_view key) {
  key = Trimmed(key);
  return WithoutEntries(text, section, [&](const Entry& entry) { return SameName(entry.key, key); });
}

std::string WithoutSection(std::string_view text, std::string_view section) {
  std::vector<Span> dropped;
  ForEachLine(text, section, [&](const Line& line, bool inside) {
    if (inside) dropped.push_back({line.start, line.length});
  });
  return Without(text, dropped);
}

}  // namespace qx::profile
