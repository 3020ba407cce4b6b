// The tables behind the registry calls: one SQLite connection to <root>/registry.db and the
// statements the calls are made of. Used only by host/registry.cpp, which adds handles,
// transactions and retries. Every SQLite failure is thrown as a StoreError.
//
// Schema (user_version 1):
//   reg_keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER, name TEXT COLLATE NOCASE,
//            UNIQUE(parent, name))
//     One row per key. The predefined roots are the rows 1 to 4 (HKEY_CLASSES_ROOT ..
//     HKEY_USERS) with parent NULL. AUTOINCREMENT: ids are never reused, so a handle to a
//     deleted key can never come to mean another key.
//   reg_values(key INTEGER, name TEXT COLLATE NOCASE, type INTEGER, data BLOB NOT NULL,
//              PRIMARY KEY(key, name))
//     One row per value; the unnamed value has the name "".
// NOCASE folds exactly the ASCII letters, which is the comparison the registry makes.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/win_types.h"

namespace qx::registry {

using KeyId = std::int64_t;

struct StoreError {
  int code;  // SQLite's extended result code
};

// True for the results that mean "another process holds the database": worth a retry.
bool IsBusy(const StoreError& error);

struct Value {
  std::string name;
  DWORD type = 0;
  std::vector<BYTE> data;
};

class Store {
 public:
  // Opens (creating when missing) the database at PATH and makes sure the schema is there.
  explicit Store(const std::string& path);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  void Exec(const char* sql);
  // Ends whatever transaction is open, ignoring errors: used after a failure.
  void RollbackQuietly();

  bool KeyExists(KeyId id);
  std::optional<KeyId> FindChild(KeyId parent, const std::string& name);
  KeyId AddChild(KeyId parent, const std::string& name);
  // Deletes the key ID, its subkeys and all their values.
  void DeleteTree(KeyId id);
  // The INDEX-th child's name in order of names (without regard to case).
  std::optional<std::string> ChildAt(KeyId parent, std::int64_t index);

  std::optional<Value> GetValue(KeyId key, const std::string& name);
  std::optional<Value> ValueAt(KeyId key, std::int64_t index);
  // Writes the value; a value that exists keeps the case of its name.
  void PutValue(KeyId key, const std::string& name, DWORD type, const BYTE* data, std::size_t size);
  // False when there was no such value.
  bool DeleteValue(KeyId key, const std::string& name);

 private:
  sqlite3_stmt* Prepare(const char* sql);
  void Check(int rc);

  sqlite3* db_ = nullptr;
  std::map<const char*, sqlite3_stmt*> statements_;  // keyed by the SQL literal's address
};

}  // namespace qx::registry
