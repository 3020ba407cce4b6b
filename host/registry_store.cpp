#include "host/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/regular_file.h"

namespace qx::registry {

namespace {

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS reg_keys("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  parent INTEGER,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  UNIQUE(parent, name));"
    "CREATE TABLE IF NOT EXISTS reg_values("
    "  key INTEGER NOT NULL,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, name));"
    "INSERT OR IGNORE INTO reg_keys(id, parent, name) VALUES"
    "  (1, NULL, 'HKEY_CLASSES_ROOT'), (2, NULL, 'HKEY_CURRENT_USER'),"
    "  (3, NULL, 'HKEY_LOCAL_MACHINE'), (4, NULL, 'HKEY_USERS');"
    "PRAGMA user_version = 1;";
constexpr int kSchemaVersion = 1;

// One use of a prepared statement: binds, steps, and resets it when it goes out of scope.
class Query {
 public:
  explicit Query(sqlite3_stmt* statement) : s_(statement) {}
  ~Query() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Query& Bind(int i, std::int64_t v) {
    Check(sqlite3_bind_int64(s_, i, v));
    return *this;
  }
  Query& Bind(int i, const std::string& text) {
    Check(sqlite3_bind_text(s_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Query& BindBlob(int i, const BYTE* data, std::size_t size) {
    // A null pointer would bind NULL; an empty value is a zero-length blob.
    Check(size == 0 ? sqlite3_bind_zeroblob(s_, i, 0)
                    : sqlite3_bind_blob(s_, i, data, static_cast<int>(size), SQLITE_TRANSIENT));
    return *this;
  }
  // True while there is a row.
  bool Step() {
    int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw StoreError{rc};
  }
  std::int64_t Int(int col) const { return sqlite3_column_int64(s_, col); }
  std::string Text(int col) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, col));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s_, col))) : std::string();
  }
  std::vector<BYTE> Blob(int col) const {
    const auto* p = static_cast<const BYTE*>(sqlite3_column_blob(s_, col));
    return p ? std::vector<BYTE>(p, p + sqlite3_column_bytes(s_, col)) : std::vector<BYTE>();
  }

 private:
  static void Check(int rc) {
    if (rc != SQLITE_OK) throw StoreError{rc};
  }
  sqlite3_stmt* s_;
};

Value ValueOf(const Query& q) { return Value{q.Text(0), static_cast<DWORD>(q.Int(1)), q.Blob(2)}; }

}  // namespace

bool IsBusy(const StoreError& error) {
  int primary = error.code & 0xFF;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

Store::Store(const std::string& path) {
  // The registry is its owner's alone, whatever the umask: the database is made (or kept) 0600
  // before SQLite opens it, and SQLite gives its -wal and -shm files the database's mode. A
  // symbolic link where one of them should be is not followed, nor a FIFO or device read.
  for (const char* suffix : {"", "-wal", "-shm"}) {
    int fd = OpenRegularFile(path + suffix, O_RDWR | O_NOFOLLOW | (*suffix ? 0 : O_CREAT), 0600);
    if (fd < 0 && !*suffix) throw StoreError{SQLITE_CANTOPEN};
    if (fd >= 0) {
      ::fchmod(fd, 0600);
      ::close(fd);
    }
  }
  int rc =
      sqlite3_open_v2(path.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db_);
    throw StoreError{rc};
  }
  sqlite3_extended_result_codes(db_, 1);
  // SQLite's own wait for a lock; the caller retries beyond it.
  sqlite3_busy_timeout(db_, 10000);
  try {
    Exec("PRAGMA journal_mode=WAL");
    // In WAL mode NORMAL keeps the database consistent across a crash and spares an fsync per write.
    Exec("PRAGMA synchronous=NORMAL");
    auto version = [this] {
      Query q(Prepare("PRAGMA user_version"));
      return q.Step() ? q.Int(0) : 0;
    };
    if (version() < kSchemaVersion) {
      // Only the first process on a new database writes the schema; the others find it there.
      Exec("BEGIN IMMEDIATE");
      if (version() < kSchemaVersion) Exec(kSchema);
      Exec("COMMIT");
    }
    if (version() > kSchemaVersion) throw StoreError{SQLITE_CANTOPEN};  // written by a newer suite
  } catch (const StoreError&) {
    RollbackQuietly();
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    sqlite3_close_v2(db_);
    throw;
  }
}

Store::~Store() {
  for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
  sqlite3_close_v2(db_);
}

void Store::Check(int rc) {
  if (rc != SQLITE_OK) throw StoreError{rc};
}

void Store::Exec(const char* sql) { Check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr)); }

void Store::RollbackQuietly() {
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

sqlite3_stmt* Store::Prepare(const char* sql) {
  auto found = statements_.find(sql);
  if (found != statements_.end()) return found->second;
  sqlite3_stmt* statement = nullptr;
  Check(sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr));
  statements_[sql] = statement;
  return statement;
}

bool Store::KeyExists(KeyId id) {
  Query q(Prepare("SELECT 1 FROM reg_keys WHERE id = ?1"));
  return q.Bind(1, id).Step();
}

std::optional<KeyId> Store::FindChild(KeyId parent, const std::string& name) {
  Query q(Prepare("SELECT id FROM reg_keys WHERE parent = ?1 AND name = ?2"));
  if (!q.Bind(1, parent).Bind(2, name).Step()) return std::nullopt;
  return q.Int(0);
}

KeyId Store::AddChild(KeyId parent, const std::string& name) {
  Query q(Prepare("INSERT INTO reg_keys(parent, name) VALUES (?1, ?2)"));
  q.Bind(1, parent).Bind(2, name).Step();
  return sqlite3_last_insert_rowid(db_);
}

void Store::DeleteTree(KeyId id) {
  {
    Query q(
        Prepare("WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL "
                "  SELECT reg_keys.id FROM reg_keys JOIN tree ON reg_keys.parent = tree.id) "
                "DELETE FROM reg_values WHERE key IN tree"));
    q.Bind(1, id).Step();
  }
  Query q(
      Prepare("WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL "
              "  SELECT reg_keys.id FROM reg_keys JOIN tree ON reg_keys.parent = tree.id) "
              "DELETE FROM reg_keys WHERE id IN tree"));
  q.Bind(1, id).Step();
}

std::optional<std::string> Store::ChildAt(KeyId parent, std::int64_t index) {
  Query q(Prepare("SELECT name FROM reg_keys WHERE parent = ?1 ORDER BY name LIMIT 1 OFFSET ?2"));
  if (!q.Bind(1, parent).Bind(2, index).Step()) return std::nullopt;
  return q.Text(0);
}

std::optional<Value> Store::GetValue(KeyId key, const std::string& name) {
  Query q(Prepare("SELECT name, type, data FROM reg_values WHERE key = ?1 AND name = ?2"));
  if (!q.Bind(1, key).Bind(2, name).Step()) return std::nullopt;
  return ValueOf(q);
}

std::optional<Value> Store::ValueAt(KeyId key, std::int64_t index) {
  Query q(Prepare("SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY name LIMIT 1 OFFSET ?2"));
  if (!q.Bind(1, key).Bind(2, index).Step()) return std::nullopt;
  return ValueOf(q);
}

void Store::PutValue(KeyId key, const std::string& name, DWORD type, const BYTE* data, std::size_t size) {
  Query q(
      Prepare("INSERT INTO reg_values(key, name, type, data) VALUES (?1, ?2, ?3, ?4) "
              "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data"));
  q.Bind(1, key).Bind(2, name).Bind(3, static_cast<std::int64_t>(type)).BindBlob(4, data, size).Step();
}

bool Store::DeleteValue(KeyId key, const std::string& name) {
  Query q(Prepare("DELETE FROM reg_values WHERE key = ?1 AND name = ?2"));
  q.Bind(1, key).Bind(2, name).Step();
  return sqlite3_changes(db_) > 0;
}

}  // namespace qx::registry
