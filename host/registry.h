// The registry calls of advapi32, kept in <root>/registry.db (SQLite). Several processes use the
// database at once; contention is waited out (generously) and never reaches a caller as a failure.
//
// As on Windows: key and value names compare without regard to ASCII case and keep the case they
// were first written with; a value's data are bytes stored with the type number the caller gave;
// deleting a key deletes its whole subtree (as Windows 9x does). Every call returns a Win32 error
// code: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND (no such key or value), ERROR_INVALID_HANDLE,
// ERROR_MORE_DATA (buffer too short), ERROR_BAD_PATHNAME (an empty or too long name in a key path,
// or one holding a CR or LF),
// ERROR_KEY_DELETED (the handle's key was deleted meanwhile), ERROR_NO_MORE_ITEMS (end of an
// enumeration), ERROR_REGISTRY_IO_FAILED (the database cannot be opened, read or written).
// Out-parameters are written only as Windows writes them; on failure the data buffers are untouched.
#pragma once

#include <cstdint>

#include "host/win_types.h"

namespace qx {

// A registry key handle: the predefined roots by value, the handles this process opened otherwise.
using HKEY = std::uint32_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

// The longest key name (one name between backslashes), in characters.
inline constexpr DWORD MAX_KEY_NAME = 255;

// Opens KEY\SUB_KEY, creating it and every missing key on the way. A null or empty SUB_KEY gives
// a new handle to KEY itself.
LONG RegCreateKeyA(HKEY key, const char* subKey, HKEY* result);
// Opens KEY\SUB_KEY, which must exist. A null or empty SUB_KEY gives a new handle to KEY itself.
LONG RegOpenKeyA(HKEY key, const char* subKey, HKEY* result);
// Closes a handle this process opened; closing a predefined root does nothing and succeeds.
LONG RegCloseKey(HKEY key);
// Deletes KEY\SUB_KEY with all its subkeys and values. SUB_KEY must name a key below KEY.
LONG RegDeleteKeyA(HKEY key, const char* subKey);

// Null or empty VALUE_NAME is the key's unnamed value. Without DATA: sets *type and *dataSize
// (either may be null). With DATA: *dataSize is the buffer's size on entry and the value's size
// on return; ERROR_MORE_DATA when the value does not fit (DATA untouched).
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
// Writes DATA_SIZE bytes as the value, with TYPE as given (any number).
LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LONG RegDeleteValueA(HKEY key, const char* valueName);

// The INDEX-th subkey's name (in order of names, without regard to case) into NAME, a buffer of
// NAME_SIZE characters including the NUL. ERROR_NO_MORE_ITEMS past the last one.
LONG RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD nameSize);
// The INDEX-th value (in order of names, without regard to case). *nameSize: the name buffer's
// size in characters on entry, the name's length without the NUL on return. TYPE, DATA and
// DATA_SIZE as in RegQueryValueExA (DATA may be null to learn the size).
LONG RegEnumValueA(HKEY key, DWORD index, char* valueName, DWORD* nameSize, DWORD* reserved, DWORD* type, BYTE* data,
                   DWORD* dataSize);

// Not Win32: groups the calls that follow, up to RegEndBatch, into one transaction, so that
// either all of them take effect or (commit false, or the process dies) none of them does.
// Other processes wait while a batch is open: keep it short.
LONG RegBeginBatch();
LONG RegEndBatch(bool commit);

}  // namespace qx
