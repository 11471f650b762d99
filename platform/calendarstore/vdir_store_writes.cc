// Saving and removing: every change is written through the store's atomic
// write, keeps what the file holds beyond the model, and is refused with a
// plain reason when it cannot be made.
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/calendarstore/atomic_write.h"
#include "platform/calendarstore/component_editor.h"
#include "platform/calendarstore/ical_ptr.h"
#include "platform/calendarstore/item_identity.h"
#include "platform/calendarstore/item_reader.h"
#include "platform/calendarstore/rule_conversion.h"
#include "platform/calendarstore/vdir_calendar_store.h"

namespace calendarstore {

namespace fs = std::filesystem;
using foundation::Date;
using foundation::String;
using zylo::CalCalendarItem;

struct VdirCalendarStore::StoredFile {
  CalendarEntry* entry;
  std::string fileName;
  ComponentPtr calendar;
  icalcomponent* main;
  ItemRecord record;
};

namespace {

constexpr unsigned kAllFields = ~0u;
constexpr unsigned kSpanFields = CalCalendarItem::kStartDate | CalCalendarItem::kEndDate |
                                 CalCalendarItem::kIsAllDay;

bool refuse(zylo::StoreError& error, const String& what, String reason) {
  error.localizedDescription = what;
  error.localizedFailureReason = std::move(reason);
  return false;
}

String readOnlyReason(const CalendarInfo& calendar) {
  return u"The calendar \"" + calendar.title + u"\" is read-only.";
}

String systemWords(int errnoValue) { return foundation::fromUtf8(std::strerror(errnoValue)); }

ComponentPtr newCalendarComponent() {
  ComponentPtr calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
  icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
  icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Zylo//Zylo 1.0.4.0//EN"));
  return calendar;
}

std::vector<icalcomponent*> componentsOf(icalcomponent* calendar, icalcomponent_kind kind) {
  std::vector<icalcomponent*> list;
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, kind); c;
       c = icalcomponent_get_next_component(calendar, kind)) {
    list.push_back(c);
  }
  return list;
}

void removeComponent(icalcomponent* calendar, icalcomponent* c) {
  icalcomponent_remove_component(calendar, c);
  icalcomponent_free(c);
}

void writeSpan(ComponentEditor& editor, icalcomponent* c, std::optional<Date> start,
               std::optional<Date> end, bool allDay) {
  editor.setTime(c, ICAL_DTSTART_PROPERTY, start, allDay);
  ComponentEditor::removeAll(c, ICAL_DURATION_PROPERTY);
  if (allDay && start) {
    // An all-day event's end is the day after its last day.
    const Date dayAfter = *start + std::chrono::days{1};
    editor.setTime(c, ICAL_DTEND_PROPERTY, end && *end > dayAfter ? *end : dayAfter, true);
  } else {
    editor.setTime(c, ICAL_DTEND_PROPERTY, end, false);
  }
}

void applyEventFields(ComponentEditor& editor, icalcomponent* c, const zylo::CalEvent& e,
                      unsigned fields, std::optional<Date> start, std::optional<Date> end) {
  if (fields & CalCalendarItem::kTitle) editor.setText(c, ICAL_SUMMARY_PROPERTY, e.title());
  if (fields & CalCalendarItem::kNotes) editor.setText(c, ICAL_DESCRIPTION_PROPERTY, e.notes());
  if (fields & CalCalendarItem::kLocation) editor.setText(c, ICAL_LOCATION_PROPERTY, e.location());
  if (fields & CalCalendarItem::kUrl) editor.setUrl(c, e.url());
  if (fields & kSpanFields) writeSpan(editor, c, start, end, e.isAllDay());
}

void applyTaskFields(ComponentEditor& editor, icalcomponent* c, const zylo::CalTask& t,
                     unsigned fields, Date now) {
  if (fields & CalCalendarItem::kTitle) editor.setText(c, ICAL_SUMMARY_PROPERTY, t.title());
  if (fields & CalCalendarItem::kNotes) editor.setText(c, ICAL_DESCRIPTION_PROPERTY, t.notes());
  if (fields & CalCalendarItem::kUrl) editor.setUrl(c, t.url());
  if (fields & CalCalendarItem::kDueDate) editor.setTime(c, ICAL_DUE_PROPERTY, t.dueDate(), false);
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

StoredTime startAsStored(Date start, bool allDay, const ZonePtr& zone) {
  return {start, foundation::splitGregorian(start, *zone), zone, allDay};
}

std::optional<Date> recurrenceIdOf(icalcomponent* c, icalcomponent* calendar, ZoneTable& zones) {
  if (!icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) return std::nullopt;
  return readComponent(c, calendar, zones).recurrenceId;
}

// Ends a series before `original`: its rule gets an UNTIL just before it,
// and the overrides and extra dates from it on go.
void endSeriesBefore(icalcomponent* calendar, icalcomponent* main, const ItemRecord& record,
                     Date original, ZoneTable& zones) {
  if (icalproperty* rule = icalcomponent_get_first_property(main, ICAL_RRULE_PROPERTY)) {
    icalrecurrencetype r = icalproperty_get_rrule(rule);
    r.count = 0;
    const StoredTime& start = *record.main.start;
    const Date last = original - std::chrono::seconds{1};
    const foundation::LocalDateTime l =
        foundation::splitGregorian(last, start.isDate ? *start.zone : *foundation::fixedOffsetZone(0));
    icaltimetype until = icaltime_null_time();
    until.year = l.year, until.month = l.month, until.day = l.day;
    if (start.isDate) {
      until.is_date = 1;
    } else {
      until.hour = l.hour, until.minute = l.minute, until.second = l.second;
      until.zone = icaltimezone_get_utc_timezone();
    }
    r.until = until;
    icalproperty_set_rrule(rule, r);
  }
  for (icalcomponent* c : componentsOf(calendar, ICAL_VEVENT_COMPONENT)) {
    auto rid = recurrenceIdOf(c, calendar, zones);
    if (rid && *rid >= original) removeComponent(calendar, c);
  }
  std::vector<icalproperty*> laterDates;
  for (icalproperty* p = icalcomponent_get_first_property(main, ICAL_RDATE_PROPERTY); p;
       p = icalcomponent_get_next_property(main, ICAL_RDATE_PROPERTY)) {
    auto at = instantOfTime(p, icalproperty_get_rdate(p).time, calendar, zones);
    if (at && *at >= original) laterDates.push_back(p);
  }
  for (icalproperty* p : laterDates) {
    icalcomponent_remove_property(main, p);
    icalproperty_free(p);
  }
}

}  // namespace

// --- Helpers -------------------------------------------------------------------

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

std::optional<VdirCalendarStore::StoredFile> VdirCalendarStore::openStored(const std::string& storeFile,
                                                                           const String& what,
                                                                           zylo::StoreError& error) {
  const size_t slash = storeFile.find('/');
  auto calendar = calendars_.find(storeFile.substr(0, slash));
  const std::string fileName = slash == std::string::npos ? "" : storeFile.substr(slash + 1);
  if (calendar == calendars_.end() || !calendar->second.files.contains(fileName)) {
    refuse(error, what, u"It no longer exists in the store.");
    return std::nullopt;
  }
  const ItemFile& known = calendar->second.files.at(fileName);
  if (!known.item) {
    refuse(error, what, u"Its file can no longer be read: " + foundation::fromUtf8(known.problem) + u".");
    return std::nullopt;
  }
  std::ifstream in(folderOf(calendar->second) / fileName, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ComponentPtr parsed(icalparser_parse_string(bytes.c_str()));
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
  return StoredFile{&calendar->second, fileName, std::move(parsed), main, std::move(*read.item)};
}

void VdirCalendarStore::noteWritten(CalendarEntry& entry, const std::string& fileName) {
  const fs::path path = folderOf(entry) / fileName;
  std::error_code missing;
  if (fs::exists(fs::symlink_status(path, missing))) {
    entry.files[fileName] = readFile(path);
  } else {
    entry.files.erase(fileName);
  }
  ++generation_;
}

bool VdirCalendarStore::writeItem(CalendarEntry& entry, const std::string& fileName,
                                  icalcomponent* calendar, const String& what, zylo::StoreError& error) {
  const std::string bytes = takeText(icalcomponent_as_ical_string_r(calendar));
  if (int failed = writeAtomically(*files_, folderOf(entry) / fileName, bytes)) {
    return refuse(error, what, u"The file could not be written: " + systemWords(failed) + u".");
  }
  noteWritten(entry, fileName);
  return true;
}

bool VdirCalendarStore::removeItemFile(CalendarEntry& entry, const std::string& fileName,
                                       const String& what, zylo::StoreError& error) {
  if (int failed = files_->removeFile(folderOf(entry) / fileName); failed && failed != ENOENT) {
    return refuse(error, what, u"The file could not be removed: " + systemWords(failed) + u".");
  }
  files_->syncFolder(folderOf(entry));
  entry.files.erase(fileName);
  ++generation_;
  return true;
}

bool VdirCalendarStore::writeBack(StoredFile& stored, CalendarEntry& target, zylo::CalCalendarItem& item,
                                  const String& what, zylo::StoreError& error) {
  if (&target == stored.entry) {
    if (!writeItem(target, stored.fileName, stored.calendar.get(), what, error)) return false;
  } else {
    // Moved to another calendar: written there first, then removed here.
    const std::string fileName = unusedFileName(target, foundation::toUtf8(item.uid()));
    if (!writeItem(target, fileName, stored.calendar.get(), what, error)) return false;
    if (!removeItemFile(*stored.entry, stored.fileName, what, error)) return false;
    item.setStoreFile(target.info.folderName + "/" + fileName);
  }
  item.clearChanges();
  return true;
}

std::string VdirCalendarStore::unusedFileName(const CalendarEntry& entry, const std::string& uid) const {
  std::string name = itemFileNameFor(uid);
  std::error_code error;
  while (entry.files.contains(name) || fs::exists(folderOf(entry) / name, error)) {
    name = freshUuid() + ".ics";
  }
  return name;
}

// --- Events --------------------------------------------------------------------

bool VdirCalendarStore::saveNewEvent(zylo::CalEvent& e, CalendarEntry& entry, zylo::StoreError& error) {
  const String what = u"The event could not be saved";
  if (!e.startDate()) return refuse(error, what, u"It has no start.");
  const Date now = clock_->now();
  ComponentPtr calendar = newCalendarComponent();
  icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
  icalcomponent_add_component(calendar.get(), event);
  const std::string uid = e.uid().empty() ? freshUuid() : foundation::toUtf8(e.uid());
  icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
  ComponentEditor editor(calendar.get(), zones_.defaultZone());
  editor.setUtcTime(event, ICAL_CREATED_PROPERTY, now);
  editor.setUtcTime(event, ICAL_DTSTAMP_PROPERTY, now);
  applyEventFields(editor, event, e, kAllFields, e.startDate(), e.endDate());
  if (e.recurrenceRule()) {
    editor.setRule(event, ruleText(*e.recurrenceRule(),
                                   startAsStored(*e.startDate(), e.isAllDay(), zones_.defaultZone())));
  }
  const std::string fileName = unusedFileName(entry, uid);
  if (!writeItem(entry, fileName, calendar.get(), what, error)) return false;
  e.setUid(foundation::fromUtf8(uid));
  e.setStoreFile(entry.info.folderName + "/" + fileName);
  e.clearChanges();
  return true;
}

bool VdirCalendarStore::splitSeries(StoredFile& stored, zylo::CalEvent& e, zylo::StoreError& error) {
  const String what = u"The event could not be saved";
  const Date original = *e.occurrence();
  const Date now = clock_->now();
  // The new series: the file as it is, from this occurrence on, under a new UID.
  ComponentPtr later(icalcomponent_new_clone(stored.calendar.get()));
  const std::string uid = freshUuid();
  icalcomponent* laterMain = nullptr;
  for (icalcomponent* c : componentsOf(later.get(), ICAL_VEVENT_COMPONENT)) {
    auto rid = recurrenceIdOf(c, later.get(), zones_);
    if (rid && *rid < original) {
      removeComponent(later.get(), c);
      continue;
    }
    icalcomponent_set_uid(c, uid.c_str());
    if (!rid) laterMain = c;
  }
  ComponentEditor laterEditor(later.get(), zones_.defaultZone());
  applyEventFields(laterEditor, laterMain, e, e.changedFields() | kSpanFields, e.startDate(), e.endDate());
  if (e.changedFields() & CalCalendarItem::kRecurrenceRule) {
    laterEditor.setRule(laterMain, e.recurrenceRule() ? std::optional(ruleText(*e.recurrenceRule(), startAsStored(*e.startDate(), e.isAllDay(), zones_.defaultZone())))
                                                      : std::nullopt);
  } else if (icalproperty* rule = icalcomponent_get_first_property(laterMain, ICAL_RRULE_PROPERTY)) {
    icalrecurrencetype r = icalproperty_get_rrule(rule);
    if (r.count > 0) {
      r.count = std::max(1, r.count - originalsBefore(stored.record, original));
      icalproperty_set_rrule(rule, r);
    }
  }
  laterEditor.touch(laterMain, now);
  // The old series ends before it.
  endSeriesBefore(stored.calendar.get(), stored.main, stored.record, original, zones_);
  ComponentEditor(stored.calendar.get(), zones_.defaultZone()).touch(stored.main, now);

  CalendarEntry& entry = *stored.entry;
  const std::string laterFile = unusedFileName(entry, uid);
  if (!writeItem(entry, laterFile, later.get(), what, error)) return false;
  if (!writeItem(entry, stored.fileName, stored.calendar.get(), what, error)) {
    // Without the shortened old series the new one would double it.
    zylo::StoreError ignored;
    removeItemFile(entry, laterFile, what, ignored);
    return false;
  }
  e.setUid(foundation::fromUtf8(uid));
  e.setStoreFile(entry.info.folderName + "/" + laterFile);
  e.clearChanges();
  return true;
}

bool VdirCalendarStore::saveEvent(zylo::CalEvent& e, zylo::CalSpan span, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  const String what = u"The event could not be saved";
  if (e.startDate() && e.endDate() && *e.endDate() < *e.startDate()) {
    return refuse(error, what, u"Its end lies before its start.");
  }
  CalendarEntry* target = writableCalendar(e.calendar().get(), what, error);
  if (!target) return false;
  if (e.storeFile().empty()) return saveNewEvent(e, *target, error);
  auto stored = openStored(e.storeFile(), what, error);
  if (!stored) return false;
  if (!stored->entry->info.isEditable) {
    return refuse(error, what, readOnlyReason(stored->entry->info));
  }
  const Date now = clock_->now();
  const unsigned fields = e.changedFields();
  const bool occurrenceOfSeries = repeats(stored->record) && e.occurrence();
  const auto first = firstOccurrence(stored->record);
  ComponentEditor editor(stored->calendar.get(), zones_.defaultZone());

  if (occurrenceOfSeries && span == zylo::CalSpan::kThisEvent) {
    // An override has no rule of its own; saved here the change would be lost.
    if (fields & CalCalendarItem::kRecurrenceRule) {
      return refuse(error, what, u"A change of repetition belongs to the whole series.");
    }
    const Date original = *e.occurrence();
    icalcomponent* override = nullptr;
    for (icalcomponent* c : componentsOf(stored->calendar.get(), ICAL_VEVENT_COMPONENT)) {
      if (recurrenceIdOf(c, stored->calendar.get(), zones_) == original) override = c;
    }
    unsigned write = fields;
    if (override == nullptr) {
      override = icalcomponent_new_clone(stored->main);
      for (auto kind : {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY, ICAL_EXDATE_PROPERTY, ICAL_EXRULE_PROPERTY}) {
        ComponentEditor::removeAll(override, kind);
      }
      icalproperty* start = icalcomponent_get_first_property(stored->main, ICAL_DTSTART_PROPERTY);
      editor.addTimeLike(override, ICAL_RECURRENCEID_PROPERTY, original, start, stored->record.main.start->zone);
      icalcomponent_add_component(stored->calendar.get(), override);
      write = kAllFields;
    }
    applyEventFields(editor, override, e, write, e.startDate(), e.endDate());
    editor.touch(override, now);
    if (!writeItem(*stored->entry, stored->fileName, stored->calendar.get(), what, error)) return false;
    e.clearChanges();
    return true;
  }
  if (occurrenceOfSeries && span == zylo::CalSpan::kFutureEvents && first &&
      first->occurrence != e.occurrence()) {
    return splitSeries(*stored, e, error);
  }

  // The event itself, or the whole series: a moved occurrence moves every
  // occurrence by the same amount.
  std::optional<Date> start = e.startDate(), end = e.endDate();
  if (occurrenceOfSeries && (fields & kSpanFields) && start && end) {
    start = stored->record.main.start->instant + (*e.startDate() - *e.occurrence());
    end = *start + (*e.endDate() - *e.startDate());
  }
  applyEventFields(editor, stored->main, e, fields, start, end);
  if (fields & CalCalendarItem::kRecurrenceRule) {
    if (e.recurrenceRule() && start) {
      editor.setRule(stored->main, ruleText(*e.recurrenceRule(), startAsStored(*start, e.isAllDay(), zones_.defaultZone())));
    } else {
      // A single event again: its exceptions and overrides mean nothing now.
      editor.setRule(stored->main, std::nullopt);
      ComponentEditor::removeAll(stored->main, ICAL_RDATE_PROPERTY);
      ComponentEditor::removeAll(stored->main, ICAL_EXDATE_PROPERTY);
      for (icalcomponent* c : componentsOf(stored->calendar.get(), ICAL_VEVENT_COMPONENT)) {
        if (c != stored->main) removeComponent(stored->calendar.get(), c);
      }
    }
  }
  editor.touch(stored->main, now);
  return writeBack(*stored, *target, e, what, error);
}

bool VdirCalendarStore::removeEvent(zylo::CalEvent& e, zylo::CalSpan span, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  const String what = u"The event could not be removed";
  if (e.storeFile().empty()) return refuse(error, what, u"It was never saved.");
  auto stored = openStored(e.storeFile(), what, error);
  if (!stored) return false;
  if (!stored->entry->info.isEditable) {
    return refuse(error, what, readOnlyReason(stored->entry->info));
  }
  const bool occurrenceOfSeries = repeats(stored->record) && e.occurrence();
  const auto first = firstOccurrence(stored->record);
  const bool isFirst = first && first->occurrence == e.occurrence();
  if (occurrenceOfSeries && span != zylo::CalSpan::kAllEvents && !(span == zylo::CalSpan::kFutureEvents && isFirst)) {
    const Date original = *e.occurrence();
    ComponentEditor editor(stored->calendar.get(), zones_.defaultZone());
    if (span == zylo::CalSpan::kThisEvent) {
      for (icalcomponent* c : componentsOf(stored->calendar.get(), ICAL_VEVENT_COMPONENT)) {
        if (recurrenceIdOf(c, stored->calendar.get(), zones_) == original) removeComponent(stored->calendar.get(), c);
      }
      icalproperty* start = icalcomponent_get_first_property(stored->main, ICAL_DTSTART_PROPERTY);
      editor.addTimeLike(stored->main, ICAL_EXDATE_PROPERTY, original, start, stored->record.main.start->zone);
    } else {
      endSeriesBefore(stored->calendar.get(), stored->main, stored->record, original, zones_);
    }
    editor.touch(stored->main, clock_->now());
    return writeItem(*stored->entry, stored->fileName, stored->calendar.get(), what, error);
  }
  return removeItemFile(*stored->entry, stored->fileName, what, error);
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
    icalcomponent* task = icalcomponent_new(ICAL_VTODO_COMPONENT);
    icalcomponent_add_component(calendar.get(), task);
    const std::string uid = t.uid().empty() ? freshUuid() : foundation::toUtf8(t.uid());
    icalcomponent_add_property(task, icalproperty_new_uid(uid.c_str()));
    ComponentEditor editor(calendar.get(), zones_.defaultZone());
    editor.setUtcTime(task, ICAL_CREATED_PROPERTY, now);
    editor.setUtcTime(task, ICAL_DTSTAMP_PROPERTY, now);
    applyTaskFields(editor, task, t, kAllFields & ~(t.isCompleted() ? 0u : unsigned{CalCalendarItem::kIsCompleted}), now);
    const std::string fileName = unusedFileName(*target, uid);
    if (!writeItem(*target, fileName, calendar.get(), what, error)) return false;
    t.setUid(foundation::fromUtf8(uid));
    t.setStoreFile(target->info.folderName + "/" + fileName);
    t.clearChanges();
    return true;
  }
  auto stored = openStored(t.storeFile(), what, error);
  if (!stored) return false;
  if (!stored->entry->info.isEditable) {
    return refuse(error, what, readOnlyReason(stored->entry->info));
  }
  ComponentEditor editor(stored->calendar.get(), zones_.defaultZone());
  applyTaskFields(editor, stored->main, t, t.changedFields(), now);
  editor.touch(stored->main, now);
  return writeBack(*stored, *target, t, what, error);
}

bool VdirCalendarStore::removeTask(zylo::CalTask& t, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  const String what = u"The task could not be removed";
  if (t.storeFile().empty()) return refuse(error, what, u"It was never saved.");
  auto stored = openStored(t.storeFile(), what, error);
  if (!stored) return false;
  if (!stored->entry->info.isEditable) {
    return refuse(error, what, readOnlyReason(stored->entry->info));
  }
  return removeItemFile(*stored->entry, stored->fileName, what, error);
}

// --- Calendars -----------------------------------------------------------------

namespace {

// Writes or removes one metadata file of a calendar folder.
int writeMetadata(FileSystem& files, const fs::path& file, const std::optional<std::string>& text) {
  if (!text) {
    const int failed = files.removeFile(file);
    return failed == ENOENT ? 0 : failed;
  }
  return writeAtomically(files, file, *text + "\n");
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
    if (int failed = writeMetadata(*files_, folder / file, text)) {
      if (isNew) files_->removeFolder(folder);
      return refuse(error, what, u"The file " + foundation::fromUtf8(file) + u" could not be written: " +
                                     systemWords(failed) + u".");
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

bool VdirCalendarStore::removeCalendar(zylo::CalCalendar& calendar, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  const String what = u"The calendar could not be removed";
  auto it = calendars_.find(foundation::toUtf8(calendar.uid()));
  if (calendar.uid().empty() || it == calendars_.end()) return refuse(error, what, u"It no longer exists in the store.");
  CalendarEntry& entry = it->second;
  if (!entry.info.isEditable) return refuse(error, what, readOnlyReason(entry.info));
  const fs::path folder = folderOf(entry);
  // Only what the store reads as items, and its own metadata, are removed:
  // files it cannot read stay where they are.
  for (auto file = entry.files.begin(); file != entry.files.end();) {
    if (file->second.item && files_->removeFile(folder / file->first) == 0) {
      file = entry.files.erase(file);
    } else {
      ++file;
    }
  }
  for (const char* metadata : {"displayname", "color", "description"}) files_->removeFile(folder / metadata);
  ++generation_;
  if (int failed = files_->removeFolder(folder)) {
    rescanCalendar(entry);
    return refuse(error, what, failed == ENOTEMPTY || failed == EEXIST
                                   ? String(u"Its folder holds files that are not calendar items; they were left in place.")
                                   : u"Its folder could not be removed: " + systemWords(failed) + u".");
  }
  watch_->forgetCalendar(it->first);
  calendars_.erase(it);
  return true;
}

}  // namespace calendarstore
