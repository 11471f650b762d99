// The store's index on disk: per item file, the stamp it had when it was
// read and what reading it gave (item_codec's bytes), so that a new process
// parses only the files that changed since. A row counts only while the
// file's stamp still matches it; the index never answers for a file alone.
//
// Kept in SQLite in WAL mode: a process killed while writing loses at most
// its last changes, and several processes may use one index at once. An
// index of another format or identity (see `open`) is emptied; a damaged one
// is removed and this process goes on without it.
//
// Not thread-safe: the store calls it under its lock.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_STORE_INDEX_H_
#define ZYLO_PLATFORM_CALENDARSTORE_STORE_INDEX_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/calendarstore/file_stamp.h"

struct sqlite3;
struct sqlite3_stmt;

namespace calendarstore {

class StoreIndex {
 public:
  // Opens or makes the index of the store at `root` in `folder`.
  // `identity` names what else the rows depend on (the default zone, the
  // zone database, the codec); rows made under another identity are dropped.
  // Null when no index can be kept there.
  static std::unique_ptr<StoreIndex> open(const std::filesystem::path& folder, const std::filesystem::path& root,
                                          const std::string& identity);
  ~StoreIndex();
  StoreIndex(const StoreIndex&) = delete;
  StoreIndex& operator=(const StoreIndex&) = delete;

  struct Row {
    FileStamp stamp;
    // Set when the file was read so soon after a change that a second change
    // in the same clock tick would keep its stamp: the row then counts only
    // while the file's bytes still have this fingerprint.
    std::optional<uint64_t> contentPrint;
    std::string contents;
  };
  // By file name, ascending.
  std::vector<std::pair<std::string, Row>> rowsOf(const std::string& calendar);
  std::optional<Row> rowOf(const std::string& calendar, const std::string& file);

  // Changes wait until `commit` writes them together; one that cannot be
  // written (another process holds the index too long) is dropped, which
  // costs a later process a parse, never a wrong answer.
  void put(const std::string& calendar, const std::string& file, Row row);
  void remove(const std::string& calendar, const std::string& file);
  void removeCalendar(const std::string& calendar);
  void commit();

  // The file that holds the index of `root` in `folder`.
  static std::filesystem::path fileFor(const std::filesystem::path& folder, const std::filesystem::path& root);

 private:
  explicit StoreIndex(sqlite3* db, std::filesystem::path file) : db_(db), file_(std::move(file)) {}
  bool prepare();
  bool setUp(const std::string& root, const std::string& identity);
  // Gives up the index after a failure that says it is damaged.
  void check(int rc);
  static Row rowFrom(sqlite3_stmt* s);

  sqlite3* db_;
  std::filesystem::path file_;
  sqlite3_stmt* selectCalendar_ = nullptr;
  sqlite3_stmt* selectFile_ = nullptr;
  struct Change {
    std::string calendar, file;
    std::optional<Row> row;  // none: remove (the whole calendar when `file` is empty)
  };
  std::vector<Change> pending_;
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_STORE_INDEX_H_
