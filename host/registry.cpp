#include "host/registry.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "host/failing_calls.h"
#include "host/machine_root.h"
#include "host/registry_store.h"

namespace qx {

namespace {

using registry::KeyId;
using registry::Store;
using registry::StoreError;

// How long one call waits out other processes before it gives up.
constexpr auto kBusyDeadline = std::chrono::seconds(60);
constexpr auto kBusyPause = std::chrono::milliseconds(5);

// The process's one connection, for the root it was opened in. Handles belong to that root:
// when the root changes (a test making a fresh one), they are dropped with the connection.
struct Session {
  std::mutex mutex;
  std::unique_ptr<Store> store;
  std::string root;
  pid_t pid = 0;
  std::map<HKEY, KeyId> handles;
  HKEY nextHandle = 1;
  bool batchOpen = false;
};

Session& TheSession() {
  static Session session;  // closed at exit, which folds the write-ahead log back into the database
  return session;
}

// The store of the current root, opened on first use. Throws StoreError when it cannot be opened.
Store& CurrentStore(Session& s) {
  std::string root = MachineRoot();
  if (s.store && (s.root != root || s.pid != getpid())) {
    // A connection must not be used across fork(): a child leaves its parent's copy alone.
    if (s.pid != getpid()) (void)s.store.release();
    s.store.reset();
    s.handles.clear();
    s.batchOpen = false;
  }
  if (!s.store) {
    MakeDirs(root);
    // SQLite's refusal of links (SQLITE_OPEN_NOFOLLOW) holds for every folder of the path it is
    // given: the database is opened through the root's real path, so that a home reached through
    // a link (/home -> /var/home) works, while a link planted as registry.db is still refused.
    char real[PATH_MAX];
    s.store =
        std::make_unique<Store>(std::string(::realpath(root.c_str(), real) ? real : root.c_str()) + "/registry.db");
    s.root = root;
    s.pid = getpid();
  }
  return *s.store;
}

bool IsPredefined(HKEY key) { return key >= HKEY_CLASSES_ROOT && key <= HKEY_USERS; }

// The row of a handle: the predefined roots are rows 1 to 4; 0 when the handle is unknown.
KeyId RowOf(const Session& s, HKEY key) {
  if (IsPredefined(key)) return static_cast<KeyId>(key - HKEY_CLASSES_ROOT) + 1;
  auto found = s.handles.find(key);
  return found == s.handles.end() ? 0 : found->second;
}

// Splits "a\b\c" into its names; false when one of them is empty ("\a", "a\\b", "a\"), longer
// than a key name may be, or holds a CR or LF (Windows allows neither in a key name).
bool SplitPath(const char* path, std::vector<std::string>& names) {
  names.clear();
  if (!path || !*path) return true;
  const char* start = path;
  for (const char* p = path;; ++p) {
    if (*p == '\r' || *p == '\n') return false;
    if (*p == '\\' || *p == '\0') {
      if (p == start || p - start > static_cast<std::ptrdiff_t>(MAX_KEY_NAME)) return false;
      names.emplace_back(start, p);
      if (*p == '\0') return true;
      start = p + 1;
    }
  }
}

std::string NameOf(const char* name) { return name ? name : ""; }

// Runs BODY(store) as one transaction (a write transaction when WRITE), waiting out other
// processes: a busy database makes it start again, up to kBusyDeadline. Inside a batch, BODY
// runs in the batch's transaction. Any other database failure is ERROR_REGISTRY_IO_FAILED.
template <class Body>
LONG Transact(Session& s, bool write, Body body) {
  auto deadline = std::chrono::steady_clock::now() + kBusyDeadline;
  for (;;) {
    Store* store = nullptr;
    try {
      store = &CurrentStore(s);
      if (s.batchOpen) return body(*store);
      store->Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
      LONG rc = body(*store);
      store->Exec(rc == ERROR_SUCCESS ? "COMMIT" : "ROLLBACK");
      return rc;
    } catch (const StoreError& error) {
      if (s.batchOpen) return ERROR_REGISTRY_IO_FAILED;  // the batch's owner rolls it back
      if (store) store->RollbackQuietly();
      if (!registry::IsBusy(error) || std::chrono::steady_clock::now() >= deadline) return ERROR_REGISTRY_IO_FAILED;
      std::this_thread::sleep_for(kBusyPause);
    }
  }
}

// The row of KEY for a call: ERROR_INVALID_HANDLE for an unknown handle, ERROR_KEY_DELETED
// when its key was deleted since it was opened.
LONG CheckedRow(const Session& s, Store& store, HKEY key, KeyId& row) {
  row = RowOf(s, key);
  if (row == 0) return ERROR_INVALID_HANDLE;
  if (!IsPredefined(key) && !store.KeyExists(row)) return ERROR_KEY_DELETED;
  return ERROR_SUCCESS;
}

HKEY NewHandle(Session& s, KeyId row) {
  HKEY handle = s.nextHandle++;
  if (s.nextHandle >= HKEY_CLASSES_ROOT) s.nextHandle = 1;  // after 2^31 opens; never a root's value
  s.handles[handle] = row;
  return handle;
}

// Runs BODY(store, row) on the key of KEY in one transaction (a write transaction when WRITE),
// once the handle has been checked.
template <class Body>
LONG OnKey(HKEY key, bool write, Body body) {
  Session& s = TheSession();
  std::lock_guard lock(s.mutex);
  return Transact(s, write, [&](Store& store) {
    KeyId row = 0;
    LONG checked = CheckedRow(s, store, key, row);
    return checked != ERROR_SUCCESS ? checked : body(store, row);
  });
}

LONG OpenOrCreate(HKEY key, const char* subKey, HKEY* result, bool create) {
  if (!result) return ERROR_INVALID_PARAMETER;
  std::vector<std::string> names;
  if (!SplitPath(subKey, names)) return ERROR_BAD_PATHNAME;
  Session& s = TheSession();
  std::lock_guard lock(s.mutex);
  KeyId row = 0;
  LONG rc = Transact(s, create, [&](Store& store) {
    LONG checked = CheckedRow(s, store, key, row);
    if (checked != ERROR_SUCCESS) return checked;
    for (const std::string& name : names) {
      auto child = store.FindChild(row, name);
      if (!child && !create) return ERROR_FILE_NOT_FOUND;
      row = child ? *child : store.AddChild(row, name);
    }
    return ERROR_SUCCESS;
  });
  if (rc == ERROR_SUCCESS) *result = NewHandle(s, row);
  return rc;
}

// The last name of a key path ("Control Panel\\Mouse" -> "Mouse"): what run/failing-calls names a
// key creation by, since a path may hold blanks and the file's names cannot.
std::string_view LastName(const char* path) {
  std::string_view whole = path ? path : "";
  while (!whole.empty() && whole.back() == '\\') whole.remove_suffix(1);
  const std::size_t cut = whole.rfind('\\');
  return cut == std::string_view::npos ? whole : whole.substr(cut + 1);
}

// Copies VALUE out as RegQueryValueExA does.
LONG CopyOut(const registry::Value& value, DWORD* type, BYTE* data, DWORD* dataSize) {
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  if (type) *type = value.type;
  const auto size = static_cast<DWORD>(value.data.size());
  if (data && *dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (data && size) std::memcpy(data, value.data.data(), size);
  if (dataSize) *dataSize = size;
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegCreateKeyA(HKEY key, const char* subKey, HKEY* result) {
  // A test makes the call fail for one key, named by its path as passed or its last name.
  if (CallFails("RegCreateKeyA", NameOf(subKey)) || CallFails("RegCreateKeyA", LastName(subKey)))
    return ERROR_ACCESS_DENIED;
  return OpenOrCreate(key, subKey, result, true);
}

LONG RegOpenKeyA(HKEY key, const char* subKey, HKEY* result) { return OpenOrCreate(key, subKey, result, false); }

LONG RegCloseKey(HKEY key) {
  if (IsPredefined(key)) return ERROR_SUCCESS;
  Session& s = TheSession();
  std::lock_guard lock(s.mutex);
  return s.handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegDeleteKeyA(HKEY key, const char* subKey) {
  std::vector<std::string> names;
  if (!SplitPath(subKey, names)) return ERROR_BAD_PATHNAME;
  if (names.empty()) return ERROR_INVALID_PARAMETER;  // a key is deleted from its parent
  return OnKey(key, true, [&](Store& store, KeyId row) {
    for (const std::string& name : names) {
      auto child = store.FindChild(row, name);
      if (!child) return ERROR_FILE_NOT_FOUND;
      row = *child;
    }
    store.DeleteTree(row);
    return ERROR_SUCCESS;
  });
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
  return OnKey(key, false, [&](Store& store, KeyId row) {
    auto value = store.GetValue(row, NameOf(valueName));
    return value ? CopyOut(*value, type, data, dataSize) : ERROR_FILE_NOT_FOUND;
  });
}

LONG RegSetValueExA(HKEY key, const char* valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  if (dataSize && !data) return ERROR_INVALID_PARAMETER;
  if (dataSize > (1u << 30)) return ERROR_INVALID_PARAMETER;  // beyond what one SQLite blob holds
  if (CallFails("RegSetValueExA", NameOf(valueName))) return ERROR_ACCESS_DENIED;
  return OnKey(key, true, [&](Store& store, KeyId row) {
    store.PutValue(row, NameOf(valueName), type, data, dataSize);
    return ERROR_SUCCESS;
  });
}

LONG RegDeleteValueA(HKEY key, const char* valueName) {
  return OnKey(key, true, [&](Store& store, KeyId row) {
    return store.DeleteValue(row, NameOf(valueName)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LONG RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD nameSize) {
  if (!name) return ERROR_INVALID_PARAMETER;
  return OnKey(key, false, [&](Store& store, KeyId row) {
    auto child = store.ChildAt(row, index);
    if (!child) return ERROR_NO_MORE_ITEMS;
    if (child->size() >= nameSize) return ERROR_MORE_DATA;
    std::memcpy(name, child->c_str(), child->size() + 1);
    return ERROR_SUCCESS;
  });
}

LONG RegEnumValueA(HKEY key, DWORD index, char* valueName, DWORD* nameSize, DWORD*, DWORD* type, BYTE* data,
                   DWORD* dataSize) {
  if (!valueName || !nameSize) return ERROR_INVALID_PARAMETER;
  return OnKey(key, false, [&](Store& store, KeyId row) {
    auto value = store.ValueAt(row, index);
    if (!value) return ERROR_NO_MORE_ITEMS;
    if (value->name.size() >= *nameSize) return ERROR_MORE_DATA;
    LONG rc = CopyOut(*value, type, data, dataSize);
    if (rc != ERROR_SUCCESS) return rc;
    std::memcpy(valueName, value->name.c_str(), value->name.size() + 1);
    *nameSize = static_cast<DWORD>(value->name.size());
    return ERROR_SUCCESS;
  });
}

LONG RegBeginBatch() {
  Session& s = TheSession();
  std::lock_guard lock(s.mutex);
  if (s.batchOpen) return ERROR_INVALID_PARAMETER;
  auto deadline = std::chrono::steady_clock::now() + kBusyDeadline;
  for (;;) {
    try {
      CurrentStore(s).Exec("BEGIN IMMEDIATE");
      s.batchOpen = true;
      return ERROR_SUCCESS;
    } catch (const StoreError& error) {
      if (!registry::IsBusy(error) || std::chrono::steady_clock::now() >= deadline) return ERROR_REGISTRY_IO_FAILED;
      std::this_thread::sleep_for(kBusyPause);
    }
  }
}

LONG RegEndBatch(bool commit) {
  Session& s = TheSession();
  std::lock_guard lock(s.mutex);
  if (!s.batchOpen || !s.store) return ERROR_INVALID_PARAMETER;
  s.batchOpen = false;
  if (!commit) {
    s.store->RollbackQuietly();
    return ERROR_SUCCESS;
  }
  try {
    s.store->Exec("COMMIT");
    return ERROR_SUCCESS;
  } catch (const StoreError&) {
    s.store->RollbackQuietly();
    return ERROR_REGISTRY_IO_FAILED;
  }
}

}  // namespace qx
