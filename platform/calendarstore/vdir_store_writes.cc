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
#include "platform/calendarstore/vdir_calendar_store.h"
#include "platform/calendarstore/write_support.h"
#include "platform/calendarstore/zone_definitions.h"

namespace calendarstore {

namespace fs = std::filesystem;
using foundation::Date;
using foundation::String;
using zylo::CalCalendarItem;

namespace {

constexpr unsigned kAllFields = ~0u;

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
  std::optional<OriginalText> original = OriginalText::mark(parsed.get(), bytes);
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
  return StoredFile{&calendar->second, fileName, std::move(parsed), main, std::move(*read.item),
                    std::move(original)};
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
                                  icalcomponent* calendar, const OriginalText* original, const String& what,
                                  zylo::StoreError& error) {
  fitVtimezones(calendar);
  const std::string bytes = original ? original->textOf(calendar) : freshItemText(calendar);
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
    if (!writeItem(target, stored.fileName, stored.calendar.get(), stored.originalText(), what, error)) return false;
  } else {
    // Moved to another calendar: written there first, then removed here.
    const std::string fileName = unusedFileName(target, foundation::toUtf8(item.uid()));
    if (!writeItem(target, fileName, stored.calendar.get(), stored.originalText(), what, error)) return false;
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
    const std::string fileName = unusedFileName(*target, uid);
    if (!writeItem(*target, fileName, calendar.get(), nullptr, what, error)) return false;
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
  ComponentEditor editor(zones_.defaultZone());
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
    if (int failed = files_->removeFile(folder / file->first); failed && failed != ENOENT) {
      rescanCalendar(entry);
      ++generation_;
      return refuse(error, what, u"The file " + foundation::fromUtf8(file->first) + u" could not be removed: " +
                                     systemWords(failed) + u".");
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
