// REGEDIT4 files, the text form of a piece of the registry:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Harlenby]      a key (created when missing)
//   "name"="text"                               REG_SZ; \\ and \" are the only escapes
//   @="text"                                    the key's unnamed value
//   "count"=dword:0000001e                      REG_DWORD
//   "bytes"=hex:b0,04                           REG_BINARY; a line may end in "\" and go on
//   "other"=hex(7):41,00,00                     any other type, its number in hex
//   "gone"=-                                    deletes the value
//   [-HKEY_LOCAL_MACHINE\SOFTWARE\Old]          deletes the key and its subkeys
//
// Lines starting with ";" are comments. Files are read with LF or CRLF line ends and written
// with CRLF. Values that the plain forms cannot carry exactly (a REG_SZ without its final NUL,
// with another NUL, CR or LF in it; a REG_DWORD not of 4 bytes) are written as hex(1) or hex(4),
// so that export and import give back every value byte for byte.
#pragma once

#include <string>
#include <vector>

#include "tools/qxreg/key_names.h"

namespace qx::reg {

struct ValueEntry {
  int line = 0;
  std::string name;  // "" for the unnamed value
  bool remove = false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Section {
  int line = 0;
  KeyName key;
  bool remove = false;
  std::vector<ValueEntry> values;
};

struct FileError {
  int line = 0;  // 0 when the fault has no line
  std::string message;
};

// Parses a whole file before anything is applied. False, with the first fault, when it is malformed.
bool ParseRegedit4(const std::string& text, std::vector<Section>& sections, FileError& error);

// Applies SECTIONS as one transaction: all of them, or (on any failure) none.
bool ApplyRegedit4(const std::vector<Section>& sections, FileError& error);

// KEY and its subtree as the text of a REGEDIT4 file, names in their stored case.
bool ExportRegedit4(const KeyName& key, std::string& text, std::string& error);

}  // namespace qx::reg
