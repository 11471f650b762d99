#include "platform/calendarstore/vdir_calendar_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include <algorithm>

#include "platform/calendarstore/file_swap.h"
#include "platform/calendarstore/item_codec.h"
#include "platform/calendarstore/item_reader.h"
#include "platform/calendarstore/rule_conversion.h"

namespace calendarstore {
namespace {

namespace fs = std::filesystem;
using foundation::Date;
using zylo::CalendarStoreException;

// An item file larger than this is not read (no calendar item is that big).
constexpr uintmax_t kMaxItemBytes = 16 * 1024 * 1024;
// After this long a temporary file no write is using any more.
constexpr auto kTemporaryLifetime = std::chrono::minutes{10};
// Answers kept for repeated event queries.
constexpr size_t kCachedQueries = 8;
// A file changed again within this long of its last change may keep its
// stamp (the file system's clock ticks coarsely), so its index row is
// checked against its bytes too.
constexpr int64_t kSameTickNanoseconds = 1000000000;
// How far ahead the next alarm of a repeating event is looked for; a single
// event's is found at any distance.
constexpr auto kAlarmHorizon = std::chrono::days{800};

foundation::String rootText(const fs::path& root) { return foundation::fromUtf8(root.string()); }

std::optional<Date> nextTrigger(const ComponentRecord& c, Date start, Date end, Date now) {
  std::optional<Date> next;
  for (const AlarmTrigger& t : c.alarms) {
    const Date at = t.absolute ? *t.absolute : (t.fromEnd ? end : start) + std::chrono::seconds{t.offsetSeconds};
    if (at > now && (!next || at < *next)) next = at;
  }
  return next;
}

bool hasAlarms(const ItemRecord& item) {
  if (!item.main.alarms.empty()) return true;
  return std::any_of(item.overrides.begin(), item.overrides.end(),
                     [](const ComponentRecord& o) { return !o.alarms.empty(); });
}

// The next alarm of an event after `now`, across its occurrences.
std::optional<Date> nextAlarmOf(const ItemRecord& item, Date now) {
  if (!hasAlarms(item)) return std::nullopt;
  std::vector<Occurrence> occurrences;
  if (!repeats(item)) {
    if (auto only = firstOccurrence(item)) occurrences.push_back(*only);
  } else {
    // A rule of minutes or seconds holds too many occurrences for the whole
    // horizon: its next alarm is looked for nearer.
    for (const std::chrono::seconds reach : {std::chrono::seconds{kAlarmHorizon}, std::chrono::seconds{86400 * 30},
                                             std::chrono::seconds{86400}, std::chrono::seconds{3600}}) {
      try {
        occurrences = occurrencesBetween(item, now - std::min(reach, std::chrono::seconds{86400 * 30}), now + reach);
        break;
      } catch (const zylo::CalendarStoreException&) {
      }
    }
  }
  std::optional<Date> next;
  for (const Occurrence& o : occurrences) {
    auto at = nextTrigger(*o.component, o.start, o.end, now);
    if (at && (!next || *at < *next)) next = at;
  }
  return next;
}

std::optional<Date> nextTaskAlarm(const ComponentRecord& task, Date now) {
  const auto base = task.start ? std::optional<Date>(task.start->instant) : task.due;
  if (!base) return std::nullopt;
  return nextTrigger(task, *base, task.due.value_or(*base), now);
}

// A file's bytes with the stamp they were read under, or why there are none.
struct FileBytes {
  FileStamp stamp;
  std::string bytes;
  const char* problem = nullptr;
};

FileBytes readBytes(const fs::path& path) {
  FileBytes file;
  struct stat st {};
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int failed = errno;
    ::lstat(path.c_str(), &st);
    file.stamp = stampOf(st);
    file.problem = failed == ELOOP ? "the file is a symbolic link" : "the file cannot be opened";
    return file;
  }
  ::fstat(fd, &st);
  file.stamp = stampOf(st);
  if (!S_ISREG(st.st_mode)) {
    file.problem = "the file is not a regular file";
  } else if (static_cast<uintmax_t>(st.st_size) > kMaxItemBytes) {
    file.problem = "the file is larger than 16 MB";
  } else {
    std::string& bytes = file.bytes;
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    for (ssize_t n; got < bytes.size() && (n = ::read(fd, bytes.data() + got, bytes.size() - got)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        file.problem = "the file cannot be read";
        break;
      }
      got += static_cast<size_t>(n);
    }
    bytes.resize(got);
  }
  ::close(fd);
  return file;
}

// A calendar folder's names: item files sorted, the others as found. Stamps
// are taken relative to the open folder.
class FolderListing {
 public:
  explicit FolderListing(const fs::path& folder) : dir_(::opendir(folder.c_str())) {
    if (dir_ == nullptr) return;
    while (const dirent* e = ::readdir(dir_)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      (isItemFileName(name) ? items : others).push_back(std::move(name));
    }
    std::sort(items.begin(), items.end());
  }
  ~FolderListing() {
    if (dir_) ::closedir(dir_);
  }
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  bool stat(const std::string& name, struct stat& st) const {
    return dir_ && ::fstatat(::dirfd(dir_), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  }

  std::vector<std::string> items, others;

 private:
  DIR* dir_;
};

int64_t realTimeNanoseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// What the index's rows depend on beside the files: how records are
// encoded, the default zone (of floating times and dates) and the zone
// database the instants were computed with.
std::string indexIdentity(const foundation::TimeZone& defaultZone) {
  std::string identity = "records 1; zone ";
  if (auto name = defaultZone.name()) {
    identity += *name;
  } else {
    for (int64_t at : {0, 962409600, 977356800, 1781913600}) {
      identity += std::to_string(defaultZone.secondsFromGMT(Date{std::chrono::seconds{at}})) + " ";
    }
  }
  const char* tzdir = std::getenv("TZDIR");
  const fs::path zones = fs::path(tzdir && *tzdir ? tzdir : "/usr/share/zoneinfo") / "tzdata.zi";
  struct stat st;
  if (::stat(zones.c_str(), &st) == 0) {
    const FileStamp s = stampOf(st);
    identity += "; zones " + std::to_string(s.modified) + " " + std::to_string(s.size) + " " +
                std::to_string(s.inode);
  }
  return identity;
}

bool taskSelected(const ComponentRecord& t, const zylo::TaskPredicate& p) {
  switch (p.kind) {
    case zylo::TaskPredicate::kAll: return true;
    case zylo::TaskPredicate::kUncompleted: return !t.isCompleted;
    case zylo::TaskPredicate::kUncompletedDueBefore: return !t.isCompleted && t.due && p.date && *t.due < *p.date;
    case zylo::TaskPredicate::kCompletedSince:
      return t.isCompleted && t.completed && p.date && *t.completed >= *p.date;
  }
  return false;
}

}  // namespace

VdirCalendarStore::VdirCalendarStore(fs::path root, ZonePtr defaultZone,
                                     std::shared_ptr<const foundation::Clock> clock,
                                     std::shared_ptr<FileSystem> files, std::optional<fs::path> indexFolder)
    : root_(std::move(root)), clock_(std::move(clock)), files_(std::move(files)),
      zones_(std::move(defaultZone)),
      changeSignal_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  // A malformed file must never abort the host process.
  icalerror_set_errors_are_fatal(0);
  if (indexFolder) {
    std::error_code error;
    index_ = StoreIndex::open(*indexFolder, fs::absolute(root_, error), indexIdentity(*zones_.defaultZone()));
  }
}

VdirCalendarStore::~VdirCalendarStore() {
  if (index_) index_->commit();
  if (changeSignal_ >= 0) ::close(changeSignal_);
}

// --- The index ---------------------------------------------------------------

void VdirCalendarStore::refresh() {
  refreshFolders();
  for (auto& [name, entry] : calendars_) readItemsOf(entry);
  loaded_ = true;
}

void VdirCalendarStore::readItemsOf(const zylo::CalendarList& calendars) {
  for (const auto& calendar : calendars) {
    if (!calendar) continue;
    auto it = calendars_.find(foundation::toUtf8(calendar->uid()));
    if (it != calendars_.end()) readItemsOf(it->second);
  }
}

void VdirCalendarStore::readItemsOf(CalendarEntry& entry) {
  if (entry.itemsRead) return;
  watch_->watchCalendar(entry.info.folderName, folderOf(entry));
  rescanCalendar(entry);
  entry.itemsRead = true;
  if (index_) index_->commit();
}

void VdirCalendarStore::refreshFolders() {
  // Also what the last operation's writes recorded.
  if (index_) index_->commit();
  FolderWatch::Changes changes;
  if (watch_) changes = watch_->takeChanges();
  // While the watch reports nothing, nothing the store read has changed.
  if (watch_ && watch_->active() && !changes.root && changes.calendars.empty()) return;
  // A relative root would put calendars wherever the host happens to run.
  if (!root_.is_absolute()) {
    throw CalendarStoreException(u"The calendar folder " + rootText(root_) + u" is not an absolute path.");
  }
  std::error_code error;
  const fs::file_status status = fs::status(root_, error);
  if (!fs::exists(status)) {
    // Only the root itself: a missing folder above it means a wrong setting.
    if (!fs::create_directory(root_, error) && error) {
      throw CalendarStoreException(u"The calendar folder " + rootText(root_) +
                                   u" cannot be created: " + foundation::fromUtf8(error.message()) + u".");
    }
  } else if (!fs::is_directory(status)) {
    throw CalendarStoreException(u"The calendar folder " + rootText(root_) + u" is not a folder.");
  }
  if (!watch_ || (changes.everything && watch_->active())) {
    // First use, or the watch lost track (the root itself moved): watch
    // everything afresh.
    watch_ = std::make_unique<FolderWatch>();
    watch_->watchRoot(root_);
    changes.root = changes.everything = true;
  }
  if (changes.root) rescanRoot();
  for (auto& [name, entry] : calendars_) {
    if (entry.itemsRead && (changes.everything || changes.calendars.contains(name))) rescanCalendar(entry);
  }
  if (index_) index_->commit();
}

// Watching a folder costs the system a walk over its entries, so only the
// folders whose items were read are watched; the others' few metadata
// files are read again whenever their titles are asked for.
void VdirCalendarStore::refreshCalendarList() {
  refreshFolders();
  for (auto& [name, entry] : calendars_) {
    if (!entry.itemsRead) entry.info = readCalendarInfo(folderOf(entry));
  }
}

void VdirCalendarStore::rescanRoot() {
  std::error_code error;
  fs::directory_iterator it(root_, error);
  if (error) {
    throw CalendarStoreException(u"The calendar folder " + rootText(root_) + u" cannot be read: " +
                                 foundation::fromUtf8(error.message()) + u".");
  }
  std::map<std::string, CalendarEntry> found;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!isCalendarFolderName(name) || !it->is_directory(error) || it->is_symlink(error)) continue;
    auto known = calendars_.find(name);
    if (known != calendars_.end()) {
      if (known->second.itemsRead) watch_->watchCalendar(name, it->path());
      found.emplace(name, std::move(known->second));
    } else {
      // Once every item was read, a new calendar's items are news at once.
      CalendarEntry entry;
      entry.info.folderName = name;
      if (loaded_) readItemsOf(entry);
      found.emplace(name, std::move(entry));
    }
  }
  for (const auto& [name, entry] : calendars_) {
    if (found.contains(name)) continue;
    watch_->forgetCalendar(name);
    if (index_) index_->removeCalendar(name);
    for (const auto& [fileName, file] : entry.files) noteExternalChange(file.item.get(), nullptr);
  }
  if (found.size() != calendars_.size()) ++generation_;
  calendars_ = std::move(found);
}

void VdirCalendarStore::rescanCalendar(CalendarEntry& entry) {
  const fs::path folder = folderOf(entry);
  entry.info = readCalendarInfo(folder);
  ++generation_;  // the title or colour may have changed
  const std::string& calendar = entry.info.folderName;
  const FolderListing listing(folder);
  for (const std::string& name : listing.others) removeIfStaleTemporary(folder / name);
  // A first read takes all the index knows of the folder at once, in name
  // order as the listing; later ones ask only about files not seen yet.
  std::vector<std::pair<std::string, StoreIndex::Row>> rows;
  if (index_ && !entry.itemsRead) rows = index_->rowsOf(calendar);
  auto row = rows.begin();
  std::map<std::string, ItemFile> files;
  for (const std::string& name : listing.items) {
    auto known = entry.files.find(name);
    struct stat st;
    const bool stamped = listing.stat(name, st);
    if (known != entry.files.end() && stamped && known->second.stamp == stampOf(st)) {
      files.insert(files.end(), entry.files.extract(known));
      continue;
    }
    std::optional<StoreIndex::Row> indexed;
    for (; row != rows.end() && row->first <= name; ++row) {
      if (row->first == name) {
        indexed = std::move(row->second);
      } else {
        index_->remove(calendar, row->first);  // its file is gone
      }
    }
    if (!indexed && index_ && entry.itemsRead && known == entry.files.end()) indexed = index_->rowOf(calendar, name);
    std::optional<ItemFile> read;
    if (indexed && stamped && indexed->stamp == stampOf(st)) read = fromIndex(folder / name, *indexed);
    if (!read) read = readFile(folder / name);
    if (known == entry.files.end() || !sameContents(known->second, *read)) {
      noteExternalChange(known != entry.files.end() ? known->second.item.get() : nullptr, read->item.get());
    }
    if (known != entry.files.end()) entry.files.erase(known);
    files.emplace_hint(files.end(), name, std::move(*read));
  }
  for (; row != rows.end(); ++row) index_->remove(calendar, row->first);
  // What is left of the old list is gone from the folder.
  for (const auto& [name, file] : entry.files) {
    noteExternalChange(file.item.get(), nullptr);
    if (index_) index_->remove(calendar, name);
  }
  entry.files = std::move(files);
}

// The fingerprints when both are known, else what was read from them (a
// reading from the index has no fingerprint).
bool VdirCalendarStore::sameContents(const ItemFile& before, const ItemFile& after) const {
  if (before.print && after.print) return *before.print == *after.print;
  const auto was = encodeContents(before.item.get(), before.problem, zones_);
  return was && was == encodeContents(after.item.get(), after.problem, zones_);
}

// Only the store's own writes update the index without a rescan, so what a
// rescan finds changed was changed by another program.
void VdirCalendarStore::noteExternalChange(const ItemRecord* before, const ItemRecord* after) {
  auto eventUid = [](const ItemRecord* r) -> const foundation::String* {
    return r && r->kind == ItemKind::kEvent ? &r->main.uid : nullptr;
  };
  const foundation::String* was = eventUid(before);
  const foundation::String* is = eventUid(after);
  if (!loaded_ || (!was && !is)) return;
  if (was && is && *was == *is) {
    pending_.note(*is, ExternalChanges::kUpdated);
  } else {
    if (was) pending_.note(*was, ExternalChanges::kDeleted);
    if (is) pending_.note(*is, ExternalChanges::kInserted);
  }
  const uint64_t one = 1;
  if (::write(changeSignal_, &one, sizeof one) < 0) {
    // The counter is already signalled; the watcher wakes either way.
  }
}

VdirCalendarStore::ExternalChanges VdirCalendarStore::takeExternalChanges() {
  std::lock_guard guard(lock_);
  refresh();
  uint64_t signalled;
  if (::read(changeSignal_, &signalled, sizeof signalled) < 0) {
    // Nothing was signalled since the last take.
  }
  return std::exchange(pending_, ExternalChanges{});
}

void VdirCalendarStore::ExternalChanges::note(const foundation::String& uid, Kind kind) {
  auto it = std::find_if(changes.begin(), changes.end(), [&](const auto& c) { return c.first == uid; });
  if (it == changes.end()) {
    changes.emplace_back(uid, kind);
    return;
  }
  // Two changes to one event since the last take read as one.
  if (it->second == kInserted && kind == kDeleted) {
    changes.erase(it);
  } else if (it->second == kDeleted && kind == kInserted) {
    it->second = kUpdated;
  } else if (it->second != kInserted) {
    it->second = kind;
  }
}

// A temporary file of a write that was cut short (the process died) is
// garbage once it is old enough that no write can still be using it.
void VdirCalendarStore::removeIfStaleTemporary(const fs::path& path) {
  const std::string name = path.filename().string();
  if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(".tmp")) return;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  const auto age = clock_->now() - foundation::Date{std::chrono::seconds{st.st_mtim.tv_sec}};
  if (age > kTemporaryLifetime) files_->removeFile(path);
}

// The file is opened once, never through a symbolic link and never waiting
// on a special file; its stamp comes from the open file itself.
VdirCalendarStore::ItemFile VdirCalendarStore::readFile(const fs::path& path) {
  FileBytes file = readBytes(path);
  // A file that cannot be read now may become readable with its stamp
  // unchanged (its permissions change), so only what its bytes say is kept.
  if (file.problem) return {file.stamp, nullptr, file.problem, std::nullopt};
  return itemOf(path, file.stamp, file.bytes);
}

VdirCalendarStore::ItemFile VdirCalendarStore::itemOf(const fs::path& path, const FileStamp& stamp,
                                                      const std::string& bytes) {
  ReadOutcome read = readItemFile(bytes, zones_);
  ItemFile item{stamp, nullptr, read.problem, fingerprintOf(bytes)};
  if (read.item) {
    if (read.item->main.rrule && read.item->main.start) {
      read.item->rule = ruleFromText(*read.item->main.rrule, *read.item->main.start);
    }
    item.item = std::make_shared<const ItemRecord>(std::move(*read.item));
  }
  if (index_) {
    if (auto contents = encodeContents(item.item.get(), item.problem, zones_)) {
      std::optional<uint64_t> print;
      if (stamp.modified > realTimeNanoseconds() - kSameTickNanoseconds) print = item.print;
      index_->put(path.parent_path().filename().string(), path.filename().string(),
                  {stamp, print, std::move(*contents)});
    }
  }
  return item;
}

std::optional<VdirCalendarStore::ItemFile> VdirCalendarStore::fromIndex(const fs::path& path,
                                                                        const StoreIndex::Row& row) {
  if (row.contentPrint) {
    const FileBytes file = readBytes(path);
    if (file.problem || !(file.stamp == row.stamp) || fingerprintOf(file.bytes) != *row.contentPrint) {
      return std::nullopt;
    }
  }
  std::optional<FileContents> contents = decodeContents(row.contents, zones_);
  if (!contents) return std::nullopt;
  ItemFile file{row.stamp, nullptr, std::move(contents->problem), row.contentPrint};
  if (contents->item) file.item = std::make_shared<const ItemRecord>(std::move(*contents->item));
  return file;
}

std::optional<VdirCalendarStore::ItemLocation> VdirCalendarStore::locate(const foundation::String& uid,
                                                                         ItemKind kind) {
  for (const auto& [calendarName, entry] : calendars_) {
    for (const auto& [fileName, file] : entry.files) {
      if (file.item && file.item->kind == kind && file.item->main.uid == uid) {
        return ItemLocation{&entry, &fileName, &file};
      }
    }
  }
  return std::nullopt;
}

std::vector<std::pair<fs::path, std::string>> VdirCalendarStore::listFiles(
    const std::function<void(const ItemFile&, const std::function<void(const std::string&)>&)>& says) {
  std::lock_guard guard(lock_);
  refresh();
  std::vector<std::pair<fs::path, std::string>> list;
  for (const auto& [calendarName, entry] : calendars_) {
    for (const auto& [fileName, file] : entry.files) {
      const fs::path path = root_ / calendarName / fileName;
      says(file, [&](const std::string& what) { list.emplace_back(path, what); });
    }
  }
  return list;
}

std::vector<std::pair<fs::path, std::string>> VdirCalendarStore::unreadableFiles() {
  return listFiles([](const ItemFile& file, const auto& add) {
    if (!file.item) add(file.problem);
  });
}

std::vector<std::pair<fs::path, std::string>> VdirCalendarStore::repairedFiles() {
  return listFiles([](const ItemFile& file, const auto& add) {
    if (file.item) std::for_each(file.item->repairs.begin(), file.item->repairs.end(), add);
  });
}

// --- Objects for the caller --------------------------------------------------

std::shared_ptr<zylo::CalCalendar> VdirCalendarStore::calendarObject(const CalendarEntry& entry) const {
  auto calendar = zylo::CalCalendar::calendar();
  calendar->loadFromStore(foundation::fromUtf8(entry.info.folderName), entry.info.title,
                          entry.info.notes, foundation::String(u"Local"), entry.info.isEditable,
                          entry.info.color);
  return calendar;
}

namespace {

template <class Item>
void fillShared(Item& item, const ComponentRecord& c, std::shared_ptr<zylo::CalCalendar> calendar,
                const std::string& storeFile) {
  item.setCalendar(std::move(calendar));
  item.setTitle(c.title);
  item.setNotes(c.notes);
  item.setUrl(c.url ? foundation::Url::withString(*c.url) : std::nullopt);
  item.setUid(c.uid);
  item.setDateStamp(c.dateStamp);
  item.setStoreFile(storeFile);
}

}  // namespace

VdirCalendarStore::EventSource VdirCalendarStore::sourceOf(const ItemLocation& at) const {
  return {calendarObject(*at.calendar), at.calendar->info.folderName + "/" + *at.fileName, at.file->item};
}

std::shared_ptr<zylo::CalEvent> VdirCalendarStore::eventObject(const EventSource& source, const Occurrence& o,
                                                               std::optional<Date> nextAlarm) {
  const ItemRecord& item = *source.item;
  const ComponentRecord& c = *o.component;
  auto event = zylo::CalEvent::event();
  fillShared(*event, c, source.calendar, source.storeFile);
  event->setUid(item.main.uid);
  event->setAlarmState(hasAlarms(item), nextAlarm);
  zylo::CalEvent::Loaded loaded;
  loaded.startDate = o.start;
  loaded.endDate = o.end;
  loaded.isAllDay = c.start ? c.start->isDate : item.main.start->isDate;
  loaded.location = c.location;
  loaded.isDetached = o.isDetached;
  loaded.occurrence = o.occurrence;
  if (c.hasAttendees) {
    zylo::CalEvent::Attendees attendees;
    for (const zylo::CalAttendee& a : c.attendees) attendees.push_back(std::make_shared<const zylo::CalAttendee>(a));
    loaded.attendees = std::move(attendees);
  }
  loaded.recurrenceRule = item.rule;
  event->loadFromStore(std::move(loaded));
  event->clearChanges();
  return event;
}

std::shared_ptr<zylo::CalTask> VdirCalendarStore::taskObject(const ItemLocation& at,
                                                            std::shared_ptr<zylo::CalCalendar> calendar) const {
  const ComponentRecord& c = at.file->item->main;
  auto task = zylo::CalTask::task();
  fillShared(*task, c, std::move(calendar), at.calendar->info.folderName + "/" + *at.fileName);
  task->setAlarmState(!c.alarms.empty(), nextTaskAlarm(c, clock_->now()));
  task->loadFromStore(c.due, c.completed, c.isCompleted, c.priority);
  task->clearChanges();
  return task;
}

std::vector<const VdirCalendarStore::CalendarEntry*> VdirCalendarStore::entriesOf(
    const zylo::CalendarList& calendars) const {
  std::vector<const CalendarEntry*> entries;
  for (const auto& calendar : calendars) {
    if (!calendar) continue;
    auto it = calendars_.find(foundation::toUtf8(calendar->uid()));
    if (it != calendars_.end() && std::find(entries.begin(), entries.end(), &it->second) == entries.end()) {
      entries.push_back(&it->second);
    }
  }
  return entries;
}

// --- Queries -------------------------------------------------------------------

std::vector<std::shared_ptr<zylo::CalCalendar>> VdirCalendarStore::calendars() {
  std::lock_guard guard(lock_);
  refreshCalendarList();
  std::vector<std::shared_ptr<zylo::CalCalendar>> list;
  for (const auto& [name, entry] : calendars_) list.push_back(calendarObject(entry));
  return list;
}

std::shared_ptr<zylo::CalCalendar> VdirCalendarStore::calendarWithUID(const foundation::String& uid) {
  std::lock_guard guard(lock_);
  refreshCalendarList();
  auto it = calendars_.find(foundation::toUtf8(uid));
  return it == calendars_.end() ? nullptr : calendarObject(it->second);
}

std::shared_ptr<zylo::CalTask> VdirCalendarStore::taskWithUID(const foundation::String& uid) {
  std::lock_guard guard(lock_);
  refresh();
  auto at = locate(uid, ItemKind::kTask);
  return at ? taskObject(*at, calendarObject(*at->calendar)) : nullptr;
}

std::shared_ptr<zylo::CalEvent> VdirCalendarStore::eventWithUID(const foundation::String& uid,
                                                                std::optional<Date> occurrence) {
  std::lock_guard guard(lock_);
  refresh();
  auto at = locate(uid, ItemKind::kEvent);
  if (!at) return nullptr;
  const ItemRecord& item = *at->file->item;
  std::optional<Occurrence> found;
  if (!occurrence) {
    found = firstOccurrence(item);
  } else if (repeats(item)) {
    found = occurrenceAt(item, *occurrence);
  } else if (item.main.start->instant == *occurrence) {
    found = firstOccurrence(item);  // the one "occurrence" of a single event
  }
  if (!found) return nullptr;
  return eventObject(sourceOf(*at), *found, nextAlarmOf(item, clock_->now()));
}

void VdirCalendarStore::reloadEvent(zylo::CalEvent& event, std::optional<Date> original) {
  const std::string& storeFile = event.storeFile();
  const size_t slash = storeFile.find('/');
  auto calendar = calendars_.find(storeFile.substr(0, slash));
  if (calendar == calendars_.end() || slash == std::string::npos) return;
  auto file = calendar->second.files.find(storeFile.substr(slash + 1));
  if (file == calendar->second.files.end() || !file->second.item) return;
  const ItemRecord& item = *file->second.item;
  std::optional<Occurrence> found;
  if (original && repeats(item)) found = occurrenceAt(item, *original);
  if (!found) found = firstOccurrence(item);
  if (!found) return;
  const ItemLocation at{&calendar->second, &file->first, &file->second};
  event = *eventObject(sourceOf(at), *found, nextAlarmOf(item, clock_->now()));
}

zylo::CalendarStore::EventList VdirCalendarStore::eventsWithPredicate(const zylo::EventPredicate& p) {
  EventQuery query{p.start, p.end, p.uid, {}};
  std::vector<EventSource> sources;
  uint64_t generation;
  {
    std::lock_guard guard(lock_);
    refreshFolders();
    readItemsOf(p.calendars);
    if (eventCacheGeneration_ != generation_) eventCache_.clear(), eventCacheGeneration_ = generation_;
    for (const CalendarEntry* entry : entriesOf(p.calendars)) query.calendars.push_back(entry->info.folderName);
    for (const auto& [cached, list] : eventCache_) {
      if (cached == query) return list;
    }
    generation = generation_;
    for (const CalendarEntry* entry : entriesOf(p.calendars)) {
      auto calendar = calendarObject(*entry);
      for (const auto& [fileName, file] : entry->files) {
        if (!file.item || file.item->kind != ItemKind::kEvent) continue;
        if (p.uid && file.item->main.uid != *p.uid) continue;
        sources.push_back({calendar, entry->info.folderName + "/" + fileName, file.item});
      }
    }
  }
  const Date now = clock_->now();
  auto list = std::make_shared<std::vector<std::shared_ptr<const zylo::CalEvent>>>();
  for (const EventSource& source : sources) {
    const auto occurrences = occurrencesBetween(*source.item, p.start, p.end);
    if (occurrences.empty()) continue;
    const auto nextAlarm = nextAlarmOf(*source.item, now);
    for (const Occurrence& o : occurrences) list->push_back(eventObject(source, o, nextAlarm));
  }
  std::sort(list->begin(), list->end(), [](const auto& a, const auto& b) {
    return std::tie(*a->startDate(), *a->endDate(), a->uid()) <
           std::tie(*b->startDate(), *b->endDate(), b->uid());
  });
  EventList answer = std::move(list);
  std::lock_guard guard(lock_);
  // Kept only while the store is as the query saw it.
  if (generation == generation_ && eventCacheGeneration_ == generation_) {
    eventCache_.emplace_front(std::move(query), answer);
    if (eventCache_.size() > kCachedQueries) eventCache_.pop_back();
  }
  return answer;
}

zylo::CalendarStore::TaskList VdirCalendarStore::tasksWithPredicate(const zylo::TaskPredicate& p) {
  std::lock_guard guard(lock_);
  refreshFolders();
  readItemsOf(p.calendars);
  auto list = std::make_shared<std::vector<std::shared_ptr<const zylo::CalTask>>>();
  for (const CalendarEntry* entry : entriesOf(p.calendars)) {
    auto calendar = calendarObject(*entry);
    for (const auto& [fileName, file] : entry->files) {
      if (!file.item || file.item->kind != ItemKind::kTask || !taskSelected(file.item->main, p)) continue;
      list->push_back(taskObject({entry, &fileName, &file}, calendar));
    }
  }
  // By due date, tasks without one last, then title and uid.
  std::sort(list->begin(), list->end(), [](const auto& a, const auto& b) {
    const auto key = [](const zylo::CalTask& t) {
      return std::make_tuple(!t.dueDate(), t.dueDate().value_or(Date{}), t.title().value_or(u""), t.uid());
    };
    return key(*a) < key(*b);
  });
  return list;
}

}  // namespace calendarstore
