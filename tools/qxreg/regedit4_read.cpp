// Reading REGEDIT4 files: the whole file is parsed first, then applied in one transaction.
#include <strings.h>

#include "tools/qxreg/errors.h"
#include "tools/qxreg/regedit4.h"

namespace qx::reg {

namespace {

std::string Trim(const std::string& s) {
  const std::size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// TEXT, all of it, as a hex number of 1 to 8 digits.
bool HexNumber(const std::string& text, DWORD& value) {
  if (text.empty() || text.size() > 8) return false;
  value = 0;
  for (char c : text) {
    if (HexDigit(c) < 0) return false;
    value = value * 16 + static_cast<DWORD>(HexDigit(c));
  }
  return true;
}

// A quoted text starting at S[POS] == '"'; POS ends after the closing quote.
bool Quoted(const std::string& s, std::size_t& pos, std::string& out, std::string& message) {
  out.clear();
  for (++pos; pos < s.size(); ++pos) {
    char c = s[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\') {
      if (pos + 1 >= s.size() || (s[pos + 1] != '\\' && s[pos + 1] != '"')) {
        message = "unknown escape in a quoted text (only \\\\ and \\\" are allowed)";
        return false;
      }
      c = s[++pos];
    }
    out += c;
  }
  message = "a quoted text has no closing quote";
  return false;
}

// "b0,04" (bytes of one or two hex digits, separated by commas, blanks allowed); "" is no bytes.
bool HexList(const std::string& text, std::vector<BYTE>& data, std::string& message) {
  data.clear();
  if (Trim(text).empty()) return true;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = text.find(',', start);
    std::string item = Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    DWORD value = 0;
    if (item.size() > 2 || !HexNumber(item, value)) {
      message = "bad byte \"" + item + "\" in a hex list";
      return false;
    }
    data.push_back(static_cast<BYTE>(value));
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// A NUL would cut the name short where the registry calls take it (and so act on another key or
// value than the file names), and REGEDIT4 cannot write a CR or LF back out.
bool HasForbiddenCharacter(const std::string& name) {
  return name.find_first_of(std::string("\0\r\n", 3)) != std::string::npos;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return !strncasecmp(s.c_str(), prefix, std::char_traits<char>::length(prefix));
}

// The data after "=" of the value on line I (which may go on over the lines after it).
bool ValueData(std::string data, const std::vector<std::string>& lines, std::size_t& i, ValueEntry& v,
               std::string& message) {
  if (data == "-") {
    v.remove = true;
    return true;
  }
  if (!data.empty() && data[0] == '"') {
    std::size_t pos = 0;
    std::string text;
    if (!Quoted(data, pos, text, message)) return false;
    if (!Trim(data.substr(pos)).empty()) {
      message = "unexpected text after the closing quote";
      return false;
    }
    v.type = REG_SZ;
    v.data.assign(text.begin(), text.end());
    v.data.push_back(0);
    return true;
  }
  if (StartsWith(data, "dword:")) {
    DWORD value = 0;
    if (!HexNumber(Trim(data.substr(6)), value)) {
      message = "dword: needs 1 to 8 hex digits";
      return false;
    }
    v.type = REG_DWORD;
    for (int k = 0; k < 4; ++k) v.data.push_back(static_cast<BYTE>(value >> (8 * k)));
    return true;
  }
  if (StartsWith(data, "hex:") || StartsWith(data, "hex(")) {
    std::size_t colon = data.find(':');
    v.type = REG_BINARY;
    if (data[3] == '(') {
      std::size_t close = data.find(')');
      if (close == std::string::npos || close + 1 != colon || !HexNumber(data.substr(4, close - 4), v.type)) {
        message = "hex(N): needs a type number of 1 to 8 hex digits";
        return false;
      }
    }
    std::string list = Trim(data.substr(colon + 1));
    while (!list.empty() && list.back() == '\\') {
      list.pop_back();
      if (++i >= lines.size()) {
        message = "the file ends inside a continued hex list";
        return false;
      }
      list += Trim(lines[i]);
    }
    return HexList(list, v.data, message);
  }
  message = "unknown value data (expected \"text\", dword:, hex:, hex(N): or -)";
  return false;
}

}  // namespace

bool ParseRegedit4(const std::string& text, std::vector<Section>& sections, FileError& error) {
  sections.clear();
  const std::vector<std::string> lines = SplitLines(text);
  bool header = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int lineNumber = static_cast<int>(i) + 1;
    auto fail = [&](const std::string& message) {
      error = {lineNumber, message};
      return false;
    };
    const std::string t = Trim(lines[i]);
    if (!header) {
      if (t.empty()) continue;
      if (t != "REGEDIT4") return fail("not a REGEDIT4 file: the first line must be REGEDIT4");
      header = true;
      continue;
    }
    if (t.empty() || t[0] == ';') continue;
    if (t[0] == '[') {
      if (t.back() != ']') return fail("a key line must end with \"]\"");
      std::string inner = t.substr(1, t.size() - 2);
      const bool remove = !inner.empty() && inner[0] == '-';
      if (remove) inner.erase(0, 1);
      if (HasForbiddenCharacter(inner)) return fail("a key name may not hold a NUL, CR or LF");
      auto key = ParseKeyName(inner);
      if (!key) return fail("bad key name \"" + inner + "\"");
      if (remove && key->path.empty()) return fail("a root key cannot be deleted");
      sections.push_back({lineNumber, *key, remove, {}});
      continue;
    }
    if (sections.empty()) return fail("a value before the first key");
    if (sections.back().remove) return fail("a value under a key that is being deleted");
    ValueEntry v;
    v.line = lineNumber;
    std::size_t pos = 0;
    std::string message;
    if (t[0] == '@') {
      pos = 1;
    } else if (t[0] != '"') {
      return fail("expected a key in [ ], a value name in quotes, or @");
    } else if (!Quoted(t, pos, v.name, message)) {
      return fail(message);
    } else if (HasForbiddenCharacter(v.name)) {
      return fail("a value name may not hold a NUL, CR or LF");
    }
    const std::string rest = Trim(t.substr(pos));
    if (rest.empty() || rest[0] != '=') return fail("expected \"=\" after the value name");
    if (!ValueData(Trim(rest.substr(1)), lines, i, v, message)) return fail(message);
    sections.back().values.push_back(std::move(v));
  }
  if (!header) {
    error = {1, "not a REGEDIT4 file: the first line must be REGEDIT4"};
    return false;
  }
  return true;
}

bool ApplyRegedit4(const std::vector<Section>& sections, FileError& error) {
  LONG rc = RegBeginBatch();
  if (rc != ERROR_SUCCESS) {
    error = {0, ErrorText(rc)};
    return false;
  }
  auto fail = [&](int line, LONG code) {
    RegEndBatch(false);
    error = {line, ErrorText(code)};
    return false;
  };
  for (const Section& section : sections) {
    if (section.remove) {
      rc = RegDeleteKeyA(section.key.root, section.key.path.c_str());
      if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return fail(section.line, rc);
      continue;
    }
    HKEY key = 0;
    rc = RegCreateKeyA(section.key.root, section.key.path.c_str(), &key);
    if (rc != ERROR_SUCCESS) return fail(section.line, rc);
    for (const ValueEntry& v : section.values) {
      if (v.remove) {
        rc = RegDeleteValueA(key, v.name.c_str());
        if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
      } else {
        rc = RegSetValueExA(key, v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
      }
      if (rc != ERROR_SUCCESS) {
        RegCloseKey(key);
        return fail(v.line, rc);
      }
    }
    RegCloseKey(key);
  }
  rc = RegEndBatch(true);
  if (rc != ERROR_SUCCESS) {
    error = {0, ErrorText(rc)};
    return false;
  }
  return true;
}

}  // namespace qx::reg
