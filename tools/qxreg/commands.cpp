#include "tools/qxreg/commands.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "tools/qxreg/errors.h"
#include "tools/qxreg/key_names.h"
#include "tools/qxreg/regedit4.h"

namespace qx::reg {

namespace {

// What follows a command's name: the positional words and the reg.exe-style switches.
struct Options {
  Args words;
  bool hasValue = false;  // /v NAME or /ve
  std::string valueName;
  std::optional<std::string> type;
  std::optional<std::string> data;
  bool force = false;
};

bool Is(const std::string& word, const char* option) { return !strcasecmp(word.c_str(), option); }

int UsageError(const std::string& message) {
  std::fprintf(stderr, "qxreg: %s\n", message.c_str());
  return kUsage;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "qxreg: %s\n", message.c_str());
  return kFailed;
}

// Reads ARGS; ALLOWED says which switches the command takes ("v", "t", "d", "f").
bool ParseOptions(const Args& args, const std::string& allowed, Options& o, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto next = [&](std::string& into) {
      if (i + 1 >= args.size()) {
        error = a + " needs an argument";
        return false;
      }
      into = args[++i];
      return true;
    };
    if (a.size() < 2 || a[0] != '/') {
      o.words.push_back(a);
    } else if ((Is(a, "/v") || Is(a, "/ve")) && allowed.find('v') != std::string::npos) {
      if (o.hasValue) {
        error = "only one of /v and /ve";
        return false;
      }
      if (Is(a, "/v") && !next(o.valueName)) return false;
      o.hasValue = true;
    } else if (Is(a, "/t") && allowed.find('t') != std::string::npos) {
      if (!next(o.type.emplace())) return false;
    } else if (Is(a, "/d") && allowed.find('d') != std::string::npos) {
      if (!next(o.data.emplace())) return false;
    } else if (Is(a, "/f") && allowed.find('f') != std::string::npos) {
      o.force = true;
    } else {
      error = "unknown switch " + a;
      return false;
    }
  }
  return true;
}

// The KEY word of a command; a trailing "\" is allowed, as reg.exe allows it.
std::optional<KeyName> KeyArgument(std::string text) {
  while (text.size() > 1 && text.back() == '\\') text.pop_back();
  return ParseKeyName(text);
}

// /f answers yes; on a terminal the person answers; otherwise the answer is no.
bool Confirm(bool force, const std::string& question, const std::string& refusal) {
  if (force) return true;
  if (!isatty(0)) {
    std::fprintf(stderr, "qxreg: %s; use /f\n", refusal.c_str());
    return false;
  }
  std::fprintf(stderr, "%s (Yes/No)? ", question.c_str());
  std::string answer;
  std::getline(std::cin, answer);
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

std::string TypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    default: {
      char text[16];
      std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(type));
      return text;
    }
  }
}

std::string DataText(DWORD type, const std::vector<BYTE>& data) {
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
  }
  char text[16];
  if (type == REG_DWORD && data.size() == 4) {
    std::snprintf(text, sizeof text, "0x%x",
                  static_cast<unsigned>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<unsigned>(data[3]) << 24));
    return text;
  }
  std::string hex;
  for (BYTE b : data) {
    std::snprintf(text, sizeof text, "%02X", b);
    hex += text;
  }
  return hex;
}

LONG ReadValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data) {
  DWORD size = 0;
  LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
  if (rc != ERROR_SUCCESS) return rc;
  data.resize(size);
  rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
  data.resize(size);
  return rc;
}

// NAME as the key stores it (the registry compares value names without regard to case).
std::string StoredValueName(HKEY key, const std::string& name) {
  std::string stored;
  for (DWORD i = 0; EnumValueName(key, i, stored) == ERROR_SUCCESS; ++i)
    if (!strcasecmp(stored.c_str(), name.c_str())) return stored;
  return name;
}

void PrintValue(const std::string& name, DWORD type, const std::vector<BYTE>& data) {
  std::printf("    %s    %s    %s\n", name.empty() ? "(Default)" : name.c_str(), TypeName(type).c_str(),
              DataText(type, data).c_str());
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// DATA as the bytes of a value of TYPE given on the command line.
bool DataOf(const std::string& typeText, const std::string& text, DWORD& type, std::vector<BYTE>& data,
            std::string& error) {
  data.clear();
  if (Is(typeText, "REG_SZ")) {
    type = REG_SZ;
    data.assign(text.begin(), text.end());
    data.push_back(0);
    return true;
  }
  if (Is(typeText, "REG_DWORD")) {
    type = REG_DWORD;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (text.empty() || *end || errno || value > 0xFFFFFFFFull || text[hex ? 2 : 0] == '-' ||
        text[hex ? 2 : 0] == '+') {
      error = "REG_DWORD data must be a number from 0 to 4294967295 (decimal or 0x hex)";
      return false;
    }
    for (int k = 0; k < 4; ++k) data.push_back(static_cast<BYTE>(value >> (8 * k)));
    return true;
  }
  if (Is(typeText, "REG_BINARY")) {
    type = REG_BINARY;
    for (std::size_t i = 0; i < text.size(); i += 2) {
      const int high = HexValue(text[i]);
      const int low = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
      if (high < 0 || low < 0) {
        error = "REG_BINARY data must be pairs of hex digits, such as b004";
        return false;
      }
      data.push_back(static_cast<BYTE>(high * 16 + low));
    }
    return true;
  }
  error = "unknown type " + typeText + " (REG_SZ, REG_DWORD or REG_BINARY)";
  return false;
}

}  // namespace

int Query(const Args& args) {
  Options o;
  std::string error;
  if (!ParseOptions(args, "v", o, error)) return UsageError(error);
  if (o.words.size() != 1) return UsageError("query takes one KEY");
  auto name = KeyArgument(o.words[0]);
  if (!name) return UsageError("bad key name " + o.words[0]);
  KeyName stored;
  HKEY key = 0;
  LONG opened = StoredCase(*name, stored);
  if (opened == ERROR_SUCCESS) opened = RegOpenKeyA(stored.root, stored.path.c_str(), &key);
  if (opened != ERROR_SUCCESS) return Failure(FullName(*name) + ": " + ErrorText(opened));
  const std::string full = FullName(stored);
  std::printf("%s\n", full.c_str());
  DWORD type = 0;
  std::vector<BYTE> data;
  if (o.hasValue) {
    LONG rc = ReadValue(key, o.valueName, type, data);
    if (rc == ERROR_SUCCESS) PrintValue(StoredValueName(key, o.valueName), type, data);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? kOk : Failure(full + " " + o.valueName + ": " + ErrorText(rc));
  }
  std::string valueName;
  LONG rc = ERROR_SUCCESS;
  for (DWORD i = 0; (rc = EnumValueName(key, i, valueName)) == ERROR_SUCCESS; ++i)
    if (ReadValue(key, valueName, type, data) == ERROR_SUCCESS) PrintValue(valueName, type, data);
  if (rc != ERROR_NO_MORE_ITEMS) {
    RegCloseKey(key);
    return Failure(full + ": " + ErrorText(rc));
  }
  char child[MAX_KEY_NAME + 1];
  bool first = true;
  for (DWORD i = 0; RegEnumKeyA(key, i, child, sizeof child) == ERROR_SUCCESS; ++i) {
    if (first) std::printf("\n");
    first = false;
    std::printf("%s\\%s\n", full.c_str(), child);
  }
  RegCloseKey(key);
  return kOk;
}

int Add(const Args& args) {
  Options o;
  std::string error;
  if (!ParseOptions(args, "vtdf", o, error)) return UsageError(error);
  if (o.words.size() != 1) return UsageError("add takes one KEY");
  if ((o.type || o.data) && !o.hasValue) return UsageError("/t and /d need /v NAME or /ve");
  auto name = KeyArgument(o.words[0]);
  if (!name) return UsageError("bad key name " + o.words[0]);
  DWORD type = REG_SZ;
  std::vector<BYTE> data;
  if (o.hasValue && !DataOf(o.type.value_or("REG_SZ"), o.data.value_or(""), type, data, error))
    return UsageError(error);
  HKEY key = 0;
  LONG rc = RegCreateKeyA(name->root, name->path.c_str(), &key);
  if (rc != ERROR_SUCCESS) return Failure(FullName(*name) + ": " + ErrorText(rc));
  if (o.hasValue) {
    const std::string shown = o.valueName.empty() ? "(Default)" : o.valueName;
    const bool exists = RegQueryValueExA(key, o.valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    if (exists && !Confirm(o.force, "Value " + shown + " exists, overwrite", "value " + shown + " exists")) {
      RegCloseKey(key);
      return kFailed;
    }
    rc = RegSetValueExA(key, o.valueName.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
  }
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return Failure(FullName(*name) + ": " + ErrorText(rc));
  std::printf("The operation completed successfully.\n");
  return kOk;
}

int Delete(const Args& args) {
  Options o;
  std::string error;
  if (!ParseOptions(args, "vf", o, error)) return UsageError(error);
  if (o.words.size() != 1) return UsageError("delete takes one KEY");
  auto name = KeyArgument(o.words[0]);
  if (!name) return UsageError("bad key name " + o.words[0]);
  const std::string full = FullName(*name);
  HKEY key = 0;
  LONG rc = RegOpenKeyA(name->root, name->path.c_str(), &key);
  if (rc != ERROR_SUCCESS) return Failure(full + ": " + ErrorText(rc));
  if (o.hasValue) {
    const std::string shown = o.valueName.empty() ? "(Default)" : o.valueName;
    rc = RegQueryValueExA(key, o.valueName.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS && !Confirm(o.force, "Delete the registry value " + shown, "not deleting " + shown)) {
      RegCloseKey(key);
      return kFailed;
    }
    if (rc == ERROR_SUCCESS) rc = RegDeleteValueA(key, o.valueName.c_str());
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return Failure(full + " " + shown + ": " + ErrorText(rc));
  } else {
    RegCloseKey(key);
    if (name->path.empty()) return Failure(full + ": a root key cannot be deleted");
    if (!Confirm(o.force, "Permanently delete the registry key " + full, "not deleting " + full)) return kFailed;
    rc = RegDeleteKeyA(name->root, name->path.c_str());
    if (rc != ERROR_SUCCESS) return Failure(full + ": " + ErrorText(rc));
  }
  std::printf("The operation completed successfully.\n");
  return kOk;
}

int Export(const Args& args) {
  if (args.size() != 2) return UsageError("export takes KEY and FILE");
  auto name = KeyArgument(args[0]);
  if (!name) return UsageError("bad key name " + args[0]);
  std::string text, error;
  if (!ExportRegedit4(*name, text, error)) return Failure(error);
  std::ofstream out(args[1], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) return Failure(args[1] + ": cannot be written");
  return kOk;
}

int Import(const Args& args) {
  if (args.size() != 1) return UsageError("import takes one FILE");
  std::ifstream in(args[0], std::ios::binary);
  if (!in) return Failure(args[0] + ": cannot be read");
  std::stringstream text;
  text << in.rdbuf();
  std::vector<Section> sections;
  FileError error;
  if (!ParseRegedit4(text.str(), sections, error) || !ApplyRegedit4(sections, error)) {
    std::string where = args[0] + (error.line ? ":" + std::to_string(error.line) : "");
    return Failure(where + ": " + error.message + "; nothing was imported");
  }
  std::printf("The operation completed successfully.\n");
  return kOk;
}

}  // namespace qx::reg
