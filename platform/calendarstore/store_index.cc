#include "platform/calendarstore/store_index.h"

#include <sqlite3.h>

#include <cstdio>

#include "platform/calendarstore/item_codec.h"

namespace calendarstore {
namespace {

namespace fs = std::filesystem;

// Raised whenever the tables or the records kept in them change shape; an
// index of another number is built afresh.
constexpr int kFormat = 3;
// How long a write waits for another process that holds the index; a
// write given up costs a later process a parse, a longer wait every query.
constexpr int kBusyMilliseconds = 250;

constexpr const char* kSchema =
    "DROP TABLE IF EXISTS files; DROP TABLE IF EXISTS meta;"
    "CREATE TABLE files(calendar TEXT NOT NULL, name TEXT NOT NULL, modified INTEGER NOT NULL,"
    " size INTEGER NOT NULL, inode INTEGER NOT NULL, print INTEGER, contents BLOB NOT NULL,"
    " PRIMARY KEY(calendar, name)) WITHOUT ROWID;"
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);";

bool isDamage(int rc) { return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB; }

void removeIndexFiles(const fs::path& file) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix, ignored);
}

std::string textColumn(sqlite3_stmt* s, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(s, column))) : std::string();
}

void bindText(sqlite3_stmt* s, int at, const std::string& text) {
  sqlite3_bind_text(s, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// One statement, prepared for a single use.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
  ~Statement() { sqlite3_finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return s_; }
  int prepared() const { return rc_; }

 private:
  sqlite3_stmt* s_ = nullptr;
  int rc_;
};

}  // namespace

fs::path StoreIndex::fileFor(const fs::path& folder, const fs::path& root) {
  char name[40];
  std::snprintf(name, sizeof name, "store-%016llx.sqlite",
                static_cast<unsigned long long>(fingerprintOf(root.lexically_normal().string())));
  return folder / name;
}

std::unique_ptr<StoreIndex> StoreIndex::open(const fs::path& folder, const fs::path& root,
                                             const std::string& identity) {
  // The index repeats what the calendars hold: a folder made for it is
  // the user's alone.
  std::error_code error;
  if (fs::create_directories(folder, error)) fs::permissions(folder, fs::perms::owner_all, error);
  const fs::path file = fileFor(folder, root);
  // A damaged index is removed and made again, once.
  for (int attempt = 0; attempt < 2; ++attempt) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_close_v2(db);
      return nullptr;
    }
    std::unique_ptr<StoreIndex> index(new StoreIndex(db, file));
    if (index->setUp(root.lexically_normal().string(), identity) && index->prepare()) return index;
    const bool damaged = index->db_ == nullptr;
    index.reset();
    if (!damaged) return nullptr;  // busy or unwritable: go on without
  }
  return nullptr;
}

StoreIndex::~StoreIndex() {
  sqlite3_finalize(selectCalendar_);
  sqlite3_finalize(selectFile_);
  sqlite3_close_v2(db_);
}

bool StoreIndex::setUp(const std::string& root, const std::string& identity) {
  sqlite3_busy_timeout(db_, kBusyMilliseconds);
  auto exec = [&](const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    check(rc);
    return rc == SQLITE_OK;
  };
  if (!exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;")) return false;
  // Each query's statement is done with before the next change (a table
  // cannot be dropped while a statement reads it).
  auto firstValue = [&](const char* sql) -> std::optional<std::string> {
    Statement query(db_, sql);
    const int rc = query.prepared() == SQLITE_OK ? sqlite3_step(query.get()) : query.prepared();
    check(rc);
    if (rc != SQLITE_ROW) return std::nullopt;
    return textColumn(query.get(), 0);
  };
  const std::string wanted = root + '\n' + identity;
  auto current = [&] {
    return firstValue("PRAGMA user_version") == std::to_string(kFormat) &&
           firstValue("SELECT value FROM meta WHERE key='identity'") == wanted;
  };
  // Most opens find the index as they want it and write nothing.
  if (current()) return true;
  if (!db_ || !exec("BEGIN IMMEDIATE")) return false;
  bool ok = true;
  const bool ours = firstValue("PRAGMA user_version") == std::to_string(kFormat) &&
                    firstValue("SELECT count(*) FROM sqlite_master WHERE name IN ('meta', 'files')") == "2";
  if (!ours) {
    ok = exec((std::string(kSchema) + "PRAGMA user_version=" + std::to_string(kFormat)).c_str());
  }
  // Rows made for another root or under another identity are dropped.
  if (ok && firstValue("SELECT value FROM meta WHERE key='identity'") != wanted) {
    Statement replace(db_, "INSERT OR REPLACE INTO meta(key, value) VALUES('identity', ?)");
    bindText(replace.get(), 1, wanted);
    ok = exec("DELETE FROM files") && replace.prepared() == SQLITE_OK && sqlite3_step(replace.get()) == SQLITE_DONE;
  }
  if (!db_) return false;
  if (!exec(ok ? "COMMIT" : "ROLLBACK")) return false;
  return ok;
}

bool StoreIndex::prepare() {
  return db_ &&
         sqlite3_prepare_v2(db_, "SELECT name, modified, size, inode, print, contents FROM files WHERE calendar=? ORDER BY name",
                            -1,
                            &selectCalendar_, nullptr) == SQLITE_OK &&
         sqlite3_prepare_v2(db_,
                            "SELECT name, modified, size, inode, print, contents FROM files"
                            " WHERE calendar=? AND name=?",
                            -1, &selectFile_, nullptr) == SQLITE_OK;
}

void StoreIndex::check(int rc) {
  if (!db_ || !isDamage(rc)) return;
  sqlite3_finalize(selectCalendar_);
  sqlite3_finalize(selectFile_);
  selectCalendar_ = selectFile_ = nullptr;
  sqlite3_close_v2(db_);
  db_ = nullptr;
  pending_.clear();
  removeIndexFiles(file_);
}

StoreIndex::Row StoreIndex::rowFrom(sqlite3_stmt* s) {
  Row row;
  row.stamp = {sqlite3_column_int64(s, 1), static_cast<uintmax_t>(sqlite3_column_int64(s, 2)),
               static_cast<uintmax_t>(sqlite3_column_int64(s, 3))};
  if (sqlite3_column_type(s, 4) != SQLITE_NULL) row.contentPrint = static_cast<uint64_t>(sqlite3_column_int64(s, 4));
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, 5));
  row.contents.assign(bytes ? bytes : "", static_cast<size_t>(sqlite3_column_bytes(s, 5)));
  return row;
}

std::vector<std::pair<std::string, StoreIndex::Row>> StoreIndex::rowsOf(const std::string& calendar) {
  std::vector<std::pair<std::string, Row>> rows;
  if (!db_) return rows;
  bindText(selectCalendar_, 1, calendar);
  int rc;
  while ((rc = sqlite3_step(selectCalendar_)) == SQLITE_ROW) {
    rows.emplace_back(textColumn(selectCalendar_, 0), rowFrom(selectCalendar_));
  }
  sqlite3_reset(selectCalendar_);
  check(rc);
  if (rc != SQLITE_DONE) rows.clear();
  return rows;
}

std::optional<StoreIndex::Row> StoreIndex::rowOf(const std::string& calendar, const std::string& file) {
  if (!db_) return std::nullopt;
  bindText(selectFile_, 1, calendar);
  bindText(selectFile_, 2, file);
  std::optional<Row> row;
  const int rc = sqlite3_step(selectFile_);
  if (rc == SQLITE_ROW) row = rowFrom(selectFile_);
  sqlite3_reset(selectFile_);
  check(rc);
  return row;
}

void StoreIndex::put(const std::string& calendar, const std::string& file, Row row) {
  if (db_) pending_.push_back({calendar, file, std::move(row)});
}

void StoreIndex::remove(const std::string& calendar, const std::string& file) {
  if (db_) pending_.push_back({calendar, file, std::nullopt});
}

void StoreIndex::removeCalendar(const std::string& calendar) {
  if (db_) pending_.push_back({calendar, {}, std::nullopt});
}

void StoreIndex::commit() {
  if (!db_ || pending_.empty()) return;
  const std::vector<Change> changes = std::move(pending_);
  pending_.clear();
  int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  check(rc);
  if (rc != SQLITE_OK) return;
  Statement insert(db_, "INSERT OR REPLACE INTO files VALUES(?, ?, ?, ?, ?, ?, ?)");
  Statement removeFile(db_, "DELETE FROM files WHERE calendar=? AND name=?");
  Statement removeCalendar(db_, "DELETE FROM files WHERE calendar=?");
  for (const Change& c : changes) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE) break;
    sqlite3_stmt* s = c.row ? insert.get() : c.file.empty() ? removeCalendar.get() : removeFile.get();
    sqlite3_reset(s);
    bindText(s, 1, c.calendar);
    if (!c.file.empty()) bindText(s, 2, c.file);
    if (c.row) {
      sqlite3_bind_int64(s, 3, c.row->stamp.modified);
      sqlite3_bind_int64(s, 4, static_cast<sqlite3_int64>(c.row->stamp.size));
      sqlite3_bind_int64(s, 5, static_cast<sqlite3_int64>(c.row->stamp.inode));
      if (c.row->contentPrint) {
        sqlite3_bind_int64(s, 6, static_cast<sqlite3_int64>(*c.row->contentPrint));
      } else {
        sqlite3_bind_null(s, 6);
      }
      sqlite3_bind_blob(s, 7, c.row->contents.data(), static_cast<int>(c.row->contents.size()), SQLITE_STATIC);
    }
    rc = sqlite3_step(s);
  }
  check(rc);
  if (!db_) return;
  const bool done = rc == SQLITE_DONE || rc == SQLITE_OK;
  rc = sqlite3_exec(db_, done ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
  check(rc);
}

}  // namespace calendarstore
