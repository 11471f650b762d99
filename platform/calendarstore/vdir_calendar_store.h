// The calendar store kept as a vdir: a root folder with one folder per
// calendar and one iCalendar file per event or task, the layout that other
// calendar programs and sync tools read and write too.
//
// The store keeps an index of what it read and, before every query, rereads
// only the folders that changed since (it watches them), so a change on disk
// is visible to the next call. Answers to a repeated query while nothing
// changed come from a cache. A calendar's items are read when a query first
// needs them: listing calendars reads only their folders. Given an index
// folder, the store also keeps its index on disk (store_index.h), so that a
// new process parses only the files that changed since one last read them.
//
// Thread-safe: every operation takes the store's lock, under which the
// store's state changes and files are parsed and written with libical. A
// query expands the rules of the records it selected after letting the lock
// go: records never change once read, so several sessions' queries expand
// side by side.
#ifndef ZYLO_PLATFORM_CALENDARSTORE_VDIR_CALENDAR_STORE_H_
#define ZYLO_PLATFORM_CALENDARSTORE_VDIR_CALENDAR_STORE_H_

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "calendar/calendar_store.h"
#include "platform/calendarstore/calendar_folder.h"
#include "platform/calendarstore/file_stamp.h"
#include "platform/calendarstore/file_swap.h"
#include "platform/calendarstore/file_system.h"
#include "platform/calendarstore/folder_watch.h"
#include "platform/calendarstore/ical_ptr.h"
#include "platform/calendarstore/item_record.h"
#include "platform/calendarstore/item_text.h"
#include "platform/calendarstore/occurrence_expander.h"
#include "platform/calendarstore/store_index.h"
#include "platform/calendarstore/write_support.h"
#include "platform/calendarstore/zone_table.h"
#include "platform/foundation/clock.h"

namespace calendarstore {

class VdirCalendarStore final : public zylo::CalendarStore {
 public:
  // `files` carries out every write (tests inject failures through it).
  // `indexFolder` holds the index on disk; without one the store parses
  // every file it reads.
  VdirCalendarStore(std::filesystem::path root, ZonePtr defaultZone,
                    std::shared_ptr<const foundation::Clock> clock,
                    std::shared_ptr<FileSystem> files = systemFileSystem(),
                    std::optional<std::filesystem::path> indexFolder = std::nullopt);

  std::vector<std::shared_ptr<zylo::CalCalendar>> calendars() override;
  std::shared_ptr<zylo::CalCalendar> calendarWithUID(const foundation::String& uid) override;
  std::shared_ptr<zylo::CalTask> taskWithUID(const foundation::String& uid) override;
  std::shared_ptr<zylo::CalEvent> eventWithUID(const foundation::String& uid,
                                               std::optional<foundation::Date> occurrence) override;
  EventList eventsWithPredicate(const zylo::EventPredicate& p) override;
  TaskList tasksWithPredicate(const zylo::TaskPredicate& p) override;

  bool saveCalendar(zylo::CalCalendar& calendar, zylo::StoreError& error) override;
  bool saveEvent(zylo::CalEvent& event, zylo::CalSpan span, zylo::StoreError& error) override;
  bool saveTask(zylo::CalTask& task, zylo::StoreError& error) override;
  bool removeCalendar(zylo::CalCalendar& calendar, zylo::StoreError& error) override;
  bool removeEvent(zylo::CalEvent& event, zylo::CalSpan span, zylo::StoreError& error) override;
  bool removeTask(zylo::CalTask& task, zylo::StoreError& error) override;

  ~VdirCalendarStore() override;
  VdirCalendarStore(const VdirCalendarStore&) = delete;
  VdirCalendarStore& operator=(const VdirCalendarStore&) = delete;

  // Files the store skipped, with the reason, as of the last query.
  std::vector<std::pair<std::filesystem::path, std::string>> unreadableFiles();
  // Files the store read only by mending them, one entry for each repair
  // (ItemRecord::repairs), as of the last query.
  std::vector<std::pair<std::filesystem::path, std::string>> repairedFiles();

  // Events that other programs added, changed or removed since the last
  // take (the store's own writes are not among them), after rereading what
  // changed on disk.
  struct ExternalChanges {
    enum Kind { kInserted, kUpdated, kDeleted };
    std::vector<std::pair<foundation::String, Kind>> changes;  // in the order seen
    void note(const foundation::String& uid, Kind kind);
    bool empty() const { return changes.empty(); }
  };
  ExternalChanges takeExternalChanges();
  // Readable whenever changes are waiting to be taken, for a poll.
  int changeSignal() const { return changeSignal_; }

 private:
  struct ItemFile {
    FileStamp stamp;
    std::shared_ptr<const ItemRecord> item;  // null when the file is not an item
    std::string problem;
    std::optional<uint64_t> print;  // the bytes' fingerprint, when they were read
  };
  struct CalendarEntry {
    CalendarInfo info;
    std::map<std::string, ItemFile> files;
    bool itemsRead = false;  // `files` is known (else only `info`)
  };
  // Every file with what `says` adds of it (any number of sentences), for
  // the lists above.
  std::vector<std::pair<std::filesystem::path, std::string>> listFiles(
      const std::function<void(const ItemFile&, const std::function<void(const std::string&)>&)>& says);
  struct ItemLocation {
    const CalendarEntry* calendar;
    const std::string* fileName;
    const ItemFile* file;
  };
  struct EventQuery {
    foundation::Date start, end;
    foundation::OptionalString uid;
    std::vector<std::string> calendars;
    friend bool operator==(const EventQuery&, const EventQuery&) = default;
  };

  // Reading (vdir_calendar_store.cc).
  // Brings every calendar and its items up to date with the disk.
  void refresh();
  // The same for the calendar folders and the calendars whose items were
  // read; then with the titles of all, or the items of those in `calendars`.
  void refreshFolders();
  void refreshCalendarList();
  void readItemsOf(const zylo::CalendarList& calendars);
  void readItemsOf(CalendarEntry& entry);
  void rescanRoot();
  void rescanCalendar(CalendarEntry& entry);
  // Reads the file and records what it gave in the index.
  ItemFile readFile(const std::filesystem::path& path);
  // The same for bytes already read under `stamp`.
  ItemFile itemOf(const std::filesystem::path& path, const FileStamp& stamp, const std::string& bytes);
  // The file as the index knows it, when `row` still stands for it.
  std::optional<ItemFile> fromIndex(const std::filesystem::path& path, const StoreIndex::Row& row);
  void removeIfStaleTemporary(const std::filesystem::path& path);
  std::optional<ItemLocation> locate(const foundation::String& uid, ItemKind kind);
  std::shared_ptr<zylo::CalCalendar> calendarObject(const CalendarEntry& entry) const;
  // An event file as a query saw it under the lock, to expand without it.
  struct EventSource {
    std::shared_ptr<zylo::CalCalendar> calendar;
    std::string storeFile;  // "folder/name"
    std::shared_ptr<const ItemRecord> item;
  };
  EventSource sourceOf(const ItemLocation& at) const;
  static std::shared_ptr<zylo::CalEvent> eventObject(const EventSource& source, const Occurrence& occurrence,
                                                     std::optional<foundation::Date> nextAlarm);
  std::shared_ptr<zylo::CalTask> taskObject(const ItemLocation& at,
                                            std::shared_ptr<zylo::CalCalendar> calendar) const;
  void noteExternalChange(const ItemRecord* before, const ItemRecord* after);
  // Whether two readings of a file hold the same: a file touched without a
  // change is no change.
  bool sameContents(const ItemFile& before, const ItemFile& after) const;
  std::vector<const CalendarEntry*> entriesOf(const zylo::CalendarList& calendars) const;
  std::filesystem::path folderOf(const CalendarEntry& entry) const { return root_ / entry.info.folderName; }

  // Writing (vdir_store_writes.cc, vdir_event_writes.cc). Every change of
  // a file goes through swapFile, so an edit works on the file as it is on
  // disk, read under the item's lock, not as the store last read it.
  //
  // An item file read for an edit: its parsed calendar, main component and
  // record, and its text and access as they were read.
  struct StoredFile {
    CalendarEntry* entry;
    std::string fileName;
    FileAccess access;
    ComponentPtr calendar;
    icalcomponent* main;
    ItemRecord record;
    std::optional<OriginalText> original;
    const OriginalText* originalText() const { return original ? &*original : nullptr; }
  };
  using Editing = std::function<ItemEdit(StoredFile& stored)>;
  CalendarEntry* writableCalendar(const zylo::CalCalendar* calendar, const foundation::String& what,
                                  zylo::StoreError& error);
  // Applies `edit` to the item file `storeFile` ("folder/name"); refuses
  // when the file is gone, unreadable, or its calendar read-only.
  bool editStored(const std::string& storeFile, const foundation::String& what, zylo::StoreError& error,
                  const Editing& edit);
  std::optional<StoredFile> parseStored(CalendarEntry& entry, const std::string& fileName, const FileVersion& file,
                                        const foundation::String& what, zylo::StoreError& error);
  // Writes `bytes` as a new item file of `uid` in `entry`, under a name no
  // other file has; answers that name.
  std::optional<std::string> createItem(CalendarEntry& entry, const std::string& uid, const std::string& bytes,
                                        const foundation::String& what, zylo::StoreError& error);
  // Notes what a swap wrote and answers true when it was done; fills
  // `error` otherwise.
  bool settle(const SwapOutcome& outcome, const foundation::String& what, zylo::StoreError& error);
  // The edit that writes an edited item back to its file, or moves it to
  // `target` (made there, then removed here).
  ItemEdit writeBack(StoredFile& stored, CalendarEntry& target, zylo::CalCalendarItem& item);
  // A file in the calendar's folder that is neither an item nor the
  // store's own, if there is one.
  std::optional<std::string> foreignFileIn(const CalendarEntry& entry) const;
  std::string unusedFileName(const CalendarEntry& entry, const std::string& uid) const;
  bool saveNewEvent(zylo::CalEvent& event, CalendarEntry& entry, zylo::StoreError& error);
  ItemEdit editSingleEvent(StoredFile& stored, CalendarEntry& target, zylo::CalEvent& event, zylo::StoreError& error);
  ItemEdit editOccurrence(StoredFile& stored, const CalendarEntry& target, zylo::CalEvent& event,
                          zylo::StoreError& error);
  ItemEdit editWholeSeries(StoredFile& stored, CalendarEntry& target, zylo::CalEvent& event, zylo::StoreError& error);
  ItemEdit splitSeries(StoredFile& stored, CalendarEntry& target, zylo::CalEvent& event, zylo::StoreError& error);
  // A file of changed occurrences without their series: each is changed in
  // place, on its own; a change for the series, which is not in the file,
  // is refused.
  ItemEdit editWithoutSeries(StoredFile& stored, const CalendarEntry& target, zylo::CalEvent& event,
                             zylo::CalSpan span, zylo::StoreError& error);
  // After a save: the event as the store now reads it, at the occurrence
  // that starts at `original` (or its first), so that it stays current.
  void reloadEvent(zylo::CalEvent& event, std::optional<foundation::Date> original);
  // Records what the store wrote to an item file (none: removed it), so
  // that the next query sees it without reading the file again.
  void noteWritten(const std::filesystem::path& path, const std::optional<FileVersion>& written);

  const std::filesystem::path root_;
  const std::shared_ptr<const foundation::Clock> clock_;
  const std::shared_ptr<FileSystem> files_;
  const SwapLimits swapLimits_;
  std::mutex lock_;
  ZoneTable zones_;
  std::unique_ptr<FolderWatch> watch_;
  std::unique_ptr<StoreIndex> index_;  // null without an index folder, or when it cannot be used
  std::map<std::string, CalendarEntry> calendars_;  // by folder name: the stable order
  uint64_t generation_ = 0;                         // raised by every change to the index
  std::list<std::pair<EventQuery, EventList>> eventCache_;
  uint64_t eventCacheGeneration_ = 0;
  bool loaded_ = false;  // changes count only once the first full scan is done
  ExternalChanges pending_;
  int changeSignal_;
};

}  // namespace calendarstore

#endif  // ZYLO_PLATFORM_CALENDARSTORE_VDIR_CALENDAR_STORE_H_
