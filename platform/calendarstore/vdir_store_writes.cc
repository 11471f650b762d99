// Saving and removing: every change is written through the store's
// compare-and-swap step, keeps what the file holds beyond the model, and is
// refused with a plain reason when it cannot be made.
#include "platform/calendarstore/component_editor.h"
#include "platform/calendarstore/ical_ptr.h"
#include "platform/calendarstore/item_identity.h"
#include "platform/calendarstore/item_lock.h"
#include "platform/calendarstore/item_parsing.h"
#include "platform/calendarstore/item_reader.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "platform/calendarstore/write_support.h"

namespace calendarstore {

namespace fs = std::filesystem;
using foundation::Date;
using foundation::String;
using zylo::CalCalendarItem;

namespace {

constexpr unsigned kAllFields = ~0u;

// A due date the script gave as a day is written as that day, as calendar
// programs write a task due on a day; a task that starts at a time keeps a
// due time, as its start and due must be of one kind.
bool dueOnADay(const ComponentEditor& editor, icalcomponent* c, const std::optional<Date>& due) {
  if (!due || !editor.startsADay(*due)) return false;
  icalproperty* start = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY);
  return !start || icalproperty_get_dtstart(start).is_date;
}

void applyTaskFields(ComponentEditor& editor, icalcomponent* c, const zylo::CalTask& t,
                     unsigned fields, Date now) {
  if (fields & CalCalendarItem::kTitle) editor.setText(c, ICAL_SUMMARY_PROPERTY, t.title());
  if (fields & CalCalendarItem::kNotes) editor.setText(c, ICAL_DESCRIPTION_PROPERTY, t.notes());
  if (fields & CalCalendarItem::kUrl) editor.setUrl(c, t.url());
  if (fields & CalCalendarItem::kDueDate) {
    editor.setTime(c, ICAL_DUE_PROPERTY, t.dueDate(), dueOnADay(editor, c, t.dueDate()));
  }
  if (fields & CalCalendarItem::kCompletedDate) {
    editor.setUtcTime(c, ICAL_COMPLETED_PROPERTY, t.completedDate());
    if (t.completedDate()) editor.setStatus(c, ICAL_STATUS_COMPLETED);
  }
  if (fields & CalCalendarItem::kIsCompleted) {
    if (t.isCompleted()) {
      editor.setStatus(c, ICAL_STATUS_COMPLETED);
      editor.setInteger(c, ICAL_PERCENTCOMPLETE_PROPERTY, 100);
      if (!icalcomponent_get_first_property(c, ICAL_COMPLETED_PROPERTY)) {
        editor.setUtcTime(c, ICAL_COMPLETED_PROPERTY, t.completedDate().value_or(now));
      }
    } else {
      editor.setStatus(c, ICAL_STATUS_NEEDSACTION);
      ComponentEditor::removeAll(c, ICAL_COMPLETED_PROPERTY);
      ComponentEditor::removeAll(c, ICAL_PERCENTCOMPLETE_PROPERTY);
    }
  }
  if (fields & CalCalendarItem::kPriority) {
    editor.setInteger(c, ICAL_PRIORITY_PROPERTY, t.priority() == 0 ? std::nullopt : std::optional(t.priority()));
  }
}

}  // namespace

// --- Helpers -------------------------------------------------------------------

namespace {

const String kGone = u"It no longer exists in the store.";

}  // namespace

VdirCalendarStore::CalendarEntry* VdirCalendarStore::writableCalendar(const zylo::CalCalendar* calendar,
                                                                      const String& what,
                                                                      zylo::StoreError& error) {
  if (calendar == nullptr || calendar->uid().empty()) {
    refuse(error, what, u"It belongs to no calendar.");
    return nullptr;
  }
  auto it = calendars_.find(foundation::toUtf8(calendar->uid()));
  if (it == calendars_.end()) {
    refuse(error, what, u"Its calendar no longer exists.");
    return nullptr;
  }
  if (!it->second.info.isEditable) {
    refuse(error, what, readOnlyReason(it->second.info));
    return nullptr;
  }
  return &it->second;
}

bool VdirCalendarStore::editStored(const std::string& storeFile, const String& what, zylo::StoreError& error,
                                   const Editing& edit) {
  const size_t slash = storeFile.find('/');
  auto calendar = calendars_.find(storeFile.substr(0, slash));
  if (slash == std::string::npos || calendar == calendars_.end()) return refuse(error, what, kGone);
  CalendarEntry& entry = calendar->second;
  if (!entry.info.isEditable) return refuse(error, what, readOnlyReason(entry.info));
  const std::string fileName = storeFile.substr(slash + 1);
  std::function<void()> then;
  const SwapOutcome outcome = swapFile(*files_, folderOf(entry) / fileName, [&](const FileVersion* current) {
    if (!current) return refusedEdit(error, what, kGone).swap;
    auto stored = parseStored(entry, fileName, *current, what, error);
    if (!stored) return Swap{};
    ItemEdit planned = edit(*stored);
    then = std::move(planned.then);
    return std::move(planned.swap);
  }, swapLimits_);
  if (!settle(outcome, what, error)) return false;
  then();
  return true;
}

std::optional<VdirCalendarStore::StoredFile> VdirCalendarStore::parseStored(CalendarEntry& entry,
                                                                            const std::string& fileName,
                                                                            const FileVersion& file,
                                                                            const String& what,
                                                                            zylo::StoreError& error) {
  ComponentPtr parsed = parseItemText(file.bytes);
  std::optional<OriginalText> original = OriginalText::mark(parsed.get(), file.bytes);
  ReadOutcome read = readItemCalendar(parsed.get(), zones_);
  if (!read.item) {
    refuse(error, what, u"Its file can no longer be read: " + foundation::fromUtf8(read.problem) + u".");
    return std::nullopt;
  }
  const icalcomponent_kind kind =
      read.item->kind == ItemKind::kEvent ? ICAL_VEVENT_COMPONENT : ICAL_VTODO_COMPONENT;
  icalcomponent* main = nullptr;
  for (icalcomponent* c : componentsOf(parsed.get(), kind)) {
    if (!icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) main = c;
  }
  if (main == nullptr) main = icalcomponent_get_first_component(parsed.get(), kind);
  return StoredFile{&entry, fileName, file.access, std::move(parsed), main, std::move(*read.item),
                    std::move(original)};
}

std::optional<std::string> VdirCalendarStore::createItem(CalendarEntry& entry, const std::string& uid,
                                                         const std::string& bytes, const String& what,
                                                         zylo::StoreError& error) {
  // A name another writer takes meanwhile is left to it.
  for (int attempt = 0; attempt < swapLimits_.attempts; ++attempt) {
    const std::string fileName = unusedFileName(entry, uid);
    bool taken = false;
    const SwapOutcome outcome = swapFile(*files_, folderOf(entry) / fileName, [&](const FileVersion* current) {
      taken = current != nullptr;
      return taken ? Swap{} : Swap::replace(bytes);
    }, swapLimits_);
    if (taken) continue;
    if (!settle(outcome, what, error)) return std::nullopt;
    return fileName;
  }
  refuse(error, what, u"Other programs took every name it was to be written under; nothing was saved.");
  return std::nullopt;
}

bool VdirCalendarStore::settle(const SwapOutcome& outcome, const String& what, zylo::StoreError& error) {
  if (outcome.kind == SwapOutcome::kRefused) return false;
  if (outcome.kind != SwapOutcome::kDone) return refuse(error, what, whyNotSwapped(outcome, swapLimits_));
  for (const SwapOutcome::Changed& file : outcome.changed) noteWritten(file.path, file.version);
  return true;
}

void VdirCalendarStore::noteWritten(const fs::path& path, const std::optional<FileVersion>& written) {
  auto calendar = calendars_.find(path.parent_path().filename().string());
  if (calendar == calendars_.end()) return;
  const std::string name = path.filename().string();
  if (written) {
    calendar->second.files[name] = itemOf(path, written->stamp, written->bytes);
  } else {
    calendar->second.files.erase(name);
    if (index_) index_->remove(calendar->first, name);
  }
  ++generation_;
}

ItemEdit VdirCalendarStore::writeBack(StoredFile& stored, CalendarEntry& target, zylo::CalCalendarItem& item) {
  std::string bytes = itemText(stored.calendar.get(), stored.originalText());
  if (&target == stored.entry) return {Swap::replace(std::move(bytes)), [&item] { item.clearChanges(); }};
  const std::string fileName = unusedFileName(target, foundation::toUtf8(item.uid()));
  const std::string storeFile = target.info.folderName + "/" + fileName;
  Swap move = Swap::remove(Swap::NewFile{folderOf(target) / fileName, std::move(bytes), stored.access});
  return {std::move(move), [&item, storeFile] {
            item.setStoreFile(storeFile);
            item.clearChanges();
          }};
}

std::string VdirCalendarStore::unusedFileName(const CalendarEntry& entry, const std::string& uid) const {
  std::string name = itemFileNameFor(uid);
  std::error_code error;
  while (entry.files.contains(name) || fs::exists(folderOf(entry) / name, error)) {
    name = freshUuid() + ".ics";
  }
  return name;
}

// --- Tasks ---------------------------------------------------------------------

bool VdirCalendarStore::saveTask(zylo::CalTask& t, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  const String what = u"The task could not be saved";
  CalendarEntry* target = writableCalendar(t.calendar().get(), what, error);
  if (!target) return false;
  const Date now = clock_->now();
  if (t.storeFile().empty()) {
    ComponentPtr calendar = newCalendarComponent();
    const std::string uid = t.uid().empty() ? freshUuid() : foundation::toUtf8(t.uid());
    icalcomponent* task = addItemComponent(calendar.get(), ICAL_VTODO_COMPONENT, uid, now);
    ComponentEditor editor(zones_.defaultZone());
    applyTaskFields(editor, task, t, kAllFields & ~(t.isCompleted() ? 0u : unsigned{CalCalendarItem::kIsCompleted}), now);
    const auto fileName = createItem(*target, uid, itemText(calendar.get(), nullptr), what, error);
    if (!fileName) return false;
    t.setUid(foundation::fromUtf8(uid));
    t.setStoreFile(target->info.folderName + "/" + *fileName);
    t.setDateStamp(now);  // the DTSTAMP just written
    if (t.isCompleted() && !t.completedDate()) t.setCompletedDate(now);  // the COMPLETED just written
    t.clearChanges();
    return true;
  }
  return editStored(t.storeFile(), what, error, [&](StoredFile& stored) {
    ComponentEditor editor(zones_.defaultZone());
    applyTaskFields(editor, stored.main, t, t.changedFields(), now);
    editor.touch(stored.main, now);
    // Completing a task stamps it (or keeps the stamp it had): the task
    // answers what the file now says.
    std::optional<Date> completed;
    if (icalproperty* p = icalcomponent_get_first_property(stored.main, ICAL_COMPLETED_PROPERTY)) {
      completed = instantOfTime(p, icalproperty_get_completed(p), stored.calendar.get(), zones_);
    }
    return andThen(writeBack(stored, *target, t), [&t, completed] {
      t.loadFromStore(t.dueDate(), completed, t.isCompleted(), t.priority());
    });
  });
}

bool VdirCalendarStore::removeTask(zylo::CalTask& t, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  const String what = u"The task could not be removed";
  if (t.storeFile().empty()) return refuse(error, what, u"It was never saved.");
  return editStored(t.storeFile(), what, error, [](StoredFile&) { return ItemEdit{Swap::remove()}; });
}

// --- Calendars -----------------------------------------------------------------

namespace {

// Writes or removes one metadata file of a calendar folder, keeping its
// access.
SwapOutcome writeMetadata(FileSystem& files, const fs::path& file, const std::optional<std::string>& text,
                          const SwapLimits& limits) {
  return swapFile(files, file, [&](const FileVersion*) {
    return text ? Swap::replace(*text + "\n") : Swap::remove();
  }, limits);
}

// Removes a folder the store made, with the lock file its writes left.
void removeMadeFolder(FileSystem& files, const fs::path& folder) {
  files.removeFile(folder / kLockFileName);
  files.removeFolder(folder);
}

}  // namespace

bool VdirCalendarStore::saveCalendar(zylo::CalCalendar& calendar, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  const String what = u"The calendar could not be saved";
  const bool isNew = calendar.uid().empty();
  std::string name;
  if (isNew) {
    name = freshUuid();
    if (int failed = files_->makeFolder(root_ / name)) {
      return refuse(error, what, u"Its folder could not be created: " + systemWords(failed) + u".");
    }
  } else {
    name = foundation::toUtf8(calendar.uid());
    auto it = calendars_.find(name);
    if (it == calendars_.end()) return refuse(error, what, u"It no longer exists in the store.");
    if (!it->second.info.isEditable) {
      return refuse(error, what, readOnlyReason(it->second.info));
    }
  }
  const fs::path folder = root_ / name;
  const unsigned fields = isNew ? ~0u : calendar.changedFields();
  auto utf8 = [](const foundation::OptionalString& s) -> std::optional<std::string> {
    if (!s || s->empty()) return std::nullopt;
    return foundation::toUtf8(*s);
  };
  std::vector<std::pair<std::string, std::optional<std::string>>> writes;
  if (fields & zylo::CalCalendar::kTitle) writes.emplace_back("displayname", utf8(calendar.title()));
  if (fields & zylo::CalCalendar::kColor) {
    writes.emplace_back("color", calendar.color() ? std::optional(calendar.color()->toHex()) : std::nullopt);
  }
  if (fields & zylo::CalCalendar::kNotes) writes.emplace_back("description", utf8(calendar.notes()));
  for (const auto& [file, text] : writes) {
    const SwapOutcome outcome = writeMetadata(*files_, folder / file, text, swapLimits_);
    if (outcome.kind != SwapOutcome::kDone) {
      if (isNew) removeMadeFolder(*files_, folder);
      return refuse(error, what, whyNotSwapped(outcome, swapLimits_, u"The file " + foundation::fromUtf8(file)));
    }
  }
  CalendarEntry& entry = calendars_[name];
  entry.info.folderName = name;
  watch_->watchCalendar(name, folder);
  rescanCalendar(entry);
  calendar.loadFromStore(foundation::fromUtf8(name), calendar.title(), calendar.notes(),
                         foundation::String(u"Local"), entry.info.isEditable, calendar.color());
  return true;
}

std::optional<std::string> VdirCalendarStore::foreignFileIn(const CalendarEntry& entry) const {
  std::error_code error;
  for (const auto& f : fs::directory_iterator(folderOf(entry), error)) {
    const std::string name = f.path().filename().string();
    const bool metadata = name == "displayname" || name == "color" || name == "description";
    auto known = entry.files.find(name);
    const bool item = known != entry.files.end() && known->second.item;
    if (!metadata && !item && !name.starts_with(kTemporaryPrefix)) return name;
  }
  return std::nullopt;
}

bool VdirCalendarStore::removeCalendar(zylo::CalCalendar& calendar, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  const String what = u"The calendar could not be removed";
  auto it = calendars_.find(foundation::toUtf8(calendar.uid()));
  if (calendar.uid().empty() || it == calendars_.end()) return refuse(error, what, u"It no longer exists in the store.");
  CalendarEntry& entry = it->second;
  if (!entry.info.isEditable) return refuse(error, what, readOnlyReason(entry.info));
  const fs::path folder = folderOf(entry);
  // All or nothing: a folder that also holds files of other programs keeps
  // its items and its name, so the calendar is not left half gone.
  if (auto foreign = foreignFileIn(entry)) {
    return refuse(error, what, u"Its folder holds a file that is not a calendar item (" +
                                   foundation::fromUtf8(*foreign) + u"); nothing was removed.");
  }
  for (auto file = entry.files.begin(); file != entry.files.end();) {
    const SwapOutcome outcome =
        swapFile(*files_, folder / file->first, [](const FileVersion*) { return Swap::remove(); }, swapLimits_);
    if (outcome.kind != SwapOutcome::kDone) {
      rescanCalendar(entry);
      ++generation_;
      return refuse(error, what, whyNotSwapped(outcome, swapLimits_, u"The file " + foundation::fromUtf8(file->first)));
    }
    file = entry.files.erase(file);
  }
  for (const char* metadata : {"displayname", "color", "description"}) files_->removeFile(folder / metadata);
  std::error_code ignored;
  for (const auto& f : fs::directory_iterator(folder, ignored)) files_->removeFile(f.path());
  ++generation_;
  if (int failed = files_->removeFolder(folder)) {
    rescanCalendar(entry);
    return refuse(error, what, u"Its folder could not be removed: " + systemWords(failed) + u".");
  }
  watch_->forgetCalendar(it->first);
  calendars_.erase(it);
  return true;
}

}  // namespace calendarstore
