#include "host/command_line.h"

#include <sys/stat.h>

#include "host/paths.h"
#include "host/profile_text.h"

namespace qx {

namespace {

bool IsRegularFile(const std::string& windowsPath) {
  struct stat st;
  return ::stat(HostPath(windowsPath).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EndsWithExe(const std::string& text) {
  return text.size() >= 4 && profile::SameName(std::string_view(text).substr(text.size() - 4), ".exe");
}

// Blank-separated words; double quotes group blanks into a word and are dropped.
std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// Where the unquoted program path of TEXT ends: every blank may end it; the first prefix that is
// an existing file, else the first that looks like a program, else the first word.
std::size_t UnquotedProgramEnd(const std::string& text) {
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == ' ' || text[i] == '\t') ends.push_back(i);
  ends.push_back(text.size());
  for (std::size_t e : ends)
    if (IsRegularFile(text.substr(0, e))) return e;
  for (std::size_t e : ends)
    if (EndsWithExe(text.substr(0, e))) return e;
  return ends.front();
}

}  // namespace

CommandLine ParseCommandLine(const std::string& line) {
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  const std::string text = line.substr(start);
  CommandLine parsed;
  std::size_t end;  // where the program path ends in TEXT
  if (text[0] == '"') {
    const std::size_t close = text.find('"', 1);
    parsed.program = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    end = close == std::string::npos ? text.size() : close + 1;
  } else {
    end = UnquotedProgramEnd(text);
    parsed.program = text.substr(0, end);
  }
  parsed.args = SplitArguments(text.substr(end));
  return parsed;
}

}  // namespace qx
