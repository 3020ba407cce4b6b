// Writing REGEDIT4 files: a key, its values and its subkeys, depth first, names in stored case.
#include <cstdio>

#include "tools/qxreg/errors.h"
#include "tools/qxreg/regedit4.h"

namespace qx::reg {

namespace {

constexpr char kEol[] = "\r\n";
constexpr std::size_t kHexLineWidth = 76;  // past this a hex list goes on over the next line

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// A REG_SZ that the quoted form carries exactly: its text, one final NUL, no line breaks.
bool IsPlainText(DWORD type, const std::vector<BYTE>& data) {
  if (type != REG_SZ || data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
  return true;
}

void AppendValue(std::string& out, const std::string& name, DWORD type, const std::vector<BYTE>& data) {
  std::string line = name.empty() ? "@=" : Quoted(name) + "=";
  char number[16];
  if (IsPlainText(type, data)) {
    out += line + Quoted(std::string(data.begin(), data.end() - 1)) + kEol;
    return;
  }
  if (type == REG_DWORD && data.size() == 4) {
    std::snprintf(number, sizeof number, "%08x",
                  static_cast<unsigned>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<unsigned>(data[3]) << 24));
    out += line + "dword:" + number + kEol;
    return;
  }
  if (type == REG_BINARY) {
    line += "hex:";
  } else {
    std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(type));
    line += std::string("hex(") + number + "):";
  }
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(number, sizeof number, "%02x", data[i]);
    line += number;
    if (i + 1 == data.size()) break;
    line += ',';
    if (line.size() >= kHexLineWidth) {
      out += line + "\\" + kEol;
      line = "  ";
    }
  }
  out += line + kEol;
}

bool WriteKey(HKEY key, const std::string& fullName, std::string& out, std::string& error) {
  if (HasLineBreak(fullName)) {
    error = "the key name \"" + fullName + "\" holds a line break, which REGEDIT4 cannot carry";
    return false;
  }
  out += "[" + fullName + "]" + kEol;
  std::string name;
  LONG rc = ERROR_SUCCESS;
  for (DWORD i = 0; (rc = EnumValueName(key, i, name)) == ERROR_SUCCESS; ++i) {
    if (HasLineBreak(name)) {
      error = "a value name in " + fullName + " holds a line break, which REGEDIT4 cannot carry";
      return false;
    }
    DWORD type = 0, size = 0;
    rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size);
    if (rc == ERROR_SUCCESS) rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
    if (rc != ERROR_SUCCESS) break;
    data.resize(size);
    AppendValue(out, name, type, data);
  }
  if (rc != ERROR_NO_MORE_ITEMS) {
    error = fullName + ": " + ErrorText(rc);
    return false;
  }
  out += kEol;
  char child[MAX_KEY_NAME + 1];
  for (DWORD i = 0; (rc = RegEnumKeyA(key, i, child, sizeof child)) == ERROR_SUCCESS; ++i) {
    HKEY sub = 0;
    rc = RegOpenKeyA(key, child, &sub);
    if (rc != ERROR_SUCCESS) break;
    bool written = WriteKey(sub, fullName + "\\" + child, out, error);
    RegCloseKey(sub);
    if (!written) return false;
  }
  if (rc != ERROR_NO_MORE_ITEMS) {
    error = fullName + ": " + ErrorText(rc);
    return false;
  }
  return true;
}

}  // namespace

bool ExportRegedit4(const KeyName& key, std::string& text, std::string& error) {
  KeyName stored;
  HKEY handle = 0;
  LONG rc = StoredCase(key, stored);
  if (rc == ERROR_SUCCESS) rc = RegOpenKeyA(stored.root, stored.path.c_str(), &handle);
  if (rc != ERROR_SUCCESS) {
    error = FullName(key) + ": " + ErrorText(rc);
    return false;
  }
  text = std::string("REGEDIT4") + kEol + kEol;
  bool written = WriteKey(handle, FullName(stored), text, error);
  RegCloseKey(handle);
  return written;
}

}  // namespace qx::reg
