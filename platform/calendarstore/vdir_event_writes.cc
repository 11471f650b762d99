// Saving and removing events. A single event is rewritten in place; an
// edit of one occurrence of a series reaches as far as its span says:
// "this" writes an override, "all" moves and changes the whole series,
// "future" splits it into the part before the occurrence and a new series
// from it on. Times keep the form and zone the file wrote them in.
#include "platform/calendarstore/component_editor.h"
#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/item_identity.h"
#include "platform/calendarstore/item_reader.h"
#include "platform/calendarstore/rule_conversion.h"
#include "platform/calendarstore/series_file.h"
#include "platform/calendarstore/vdir_calendar_store.h"
#include "platform/calendarstore/write_support.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {

using foundation::Date;
using foundation::OptionalString;
using foundation::String;
using zylo::CalCalendarItem;

namespace {

constexpr unsigned kSpanFields = CalCalendarItem::kStartDate | CalCalendarItem::kEndDate;
constexpr unsigned kTextFields = CalCalendarItem::kTitle | CalCalendarItem::kNotes |
                                 CalCalendarItem::kLocation | CalCalendarItem::kUrl;
const String kNotSaved = u"The event could not be saved";
const String kOccurrenceGone = u"The occurrence no longer exists in the store.";

// The text fields of an event, in the order of kTextFields' bits.
struct TextField {
  CalCalendarItem::Field field;
  icalproperty_kind kind;
};
constexpr TextField kTexts[] = {{CalCalendarItem::kTitle, ICAL_SUMMARY_PROPERTY},
                                {CalCalendarItem::kNotes, ICAL_DESCRIPTION_PROPERTY},
                                {CalCalendarItem::kLocation, ICAL_LOCATION_PROPERTY}};

OptionalString textOf(const zylo::CalEvent& e, CalCalendarItem::Field field) {
  switch (field) {
    case CalCalendarItem::kTitle: return e.title();
    case CalCalendarItem::kNotes: return e.notes();
    default: return e.location();
  }
}

OptionalString textOf(const ComponentRecord& c, CalCalendarItem::Field field) {
  switch (field) {
    case CalCalendarItem::kTitle: return c.title;
    case CalCalendarItem::kNotes: return c.notes;
    case CalCalendarItem::kLocation: return c.location;
    default: return c.url;
  }
}

void applyTextFields(ComponentEditor& editor, icalcomponent* c, const zylo::CalEvent& e, unsigned fields) {
  for (const TextField& t : kTexts) {
    if (fields & t.field) editor.setText(c, t.kind, textOf(e, t.field));
  }
  if (fields & CalCalendarItem::kUrl) editor.setUrl(c, e.url());
}

// An all-day event's end is the day after its last day, and at least one
// day after its first: counted in calendar days, so that the day the clocks
// change is a day too.
Date dayAfterLastDay(Date start, std::optional<Date> end, const foundation::TimeZone& zone) {
  auto dayOf = [&](const foundation::LocalDateTime& l) { return foundation::daysFromCivil(l.year, l.month, l.day); };
  const int64_t first = dayOf(foundation::splitAsStartOfDay(start, zone));
  int64_t after = end ? dayOf(foundation::splitGregorian(*end, zone)) : first + 1;
  if (end && foundation::wallSeconds(foundation::splitGregorian(*end, zone)) % 86400 != 0) ++after;
  const auto civil = foundation::civilFromDays(std::max(after, first + 1));
  return zone.dateFromLocal({static_cast<int>(civil.year), civil.month, civil.day, 0, 0, 0});
}

// A new event's start and end, in the default zone.
void writeNewSpan(ComponentEditor& editor, icalcomponent* c, const zylo::CalEvent& e, const ZonePtr& zone) {
  editor.setTime(c, ICAL_DTSTART_PROPERTY, e.startDate(), e.isAllDay());
  ComponentEditor::removeAll(c, ICAL_DURATION_PROPERTY);
  if (e.isAllDay() && e.startDate()) {
    editor.setTime(c, ICAL_DTEND_PROPERTY, dayAfterLastDay(*e.startDate(), e.endDate(), *zone), true);
  } else {
    editor.setTime(c, ICAL_DTEND_PROPERTY, e.endDate(), false);
  }
}

// A stored event's start and end at new instants, in the form its start
// was written in (`like`, with the zone it names).
void writeSpanLike(ComponentEditor& editor, icalcomponent* c, Date start, std::optional<Date> end,
                   icalproperty* like, const ZonePtr& zone) {
  icalproperty* pattern = icalproperty_new_clone(like);
  const bool allDay = icalproperty_get_dtstart(pattern).is_date;
  editor.setTimeLike(c, ICAL_DTSTART_PROPERTY, start, pattern, zone);
  ComponentEditor::removeAll(c, ICAL_DURATION_PROPERTY);
  ComponentEditor::removeAll(c, ICAL_DTEND_PROPERTY);
  if (allDay) {
    editor.addTimeLike(c, ICAL_DTEND_PROPERTY, dayAfterLastDay(start, end, *zone), pattern, zone);
  } else if (end) {
    editor.addTimeLike(c, ICAL_DTEND_PROPERTY, *end, pattern, zone);
  }
  icalproperty_free(pattern);
}

icalproperty* startProperty(icalcomponent* c) {
  return icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY);
}

// Where the occurrence that started at `original` starts once its series
// moved by `shift`.
Date movedOriginal(Date original, const WallShift& shift, const foundation::TimeZone& zone) {
  return zone.dateFromLocal(shiftedWall(foundation::splitGregorian(original, zone), shift.start));
}

// Applies an edit of the occurrence `original` (as it was read: `shown`) to
// every occurrence of `series`: its times move by what the script changed,
// a new rule replaces the old one, and a changed text reaches every
// occurrence that did not have a text of its own. Answers where the edited
// occurrence now starts.
Date editSeries(SeriesFile& series, const zylo::CalEvent& e, const Occurrence& shown, ZoneTable& zones) {
  const unsigned fields = e.changedFields();
  const ZonePtr zone = series.start().zone;
  ComponentEditor editor(zone);
  const ComponentRecord mainBefore = readComponent(series.main(), series.calendar(), zones);
  const Date original = *shown.occurrence;
  if ((fields & CalCalendarItem::kRecurrenceRule) && !e.recurrenceRule()) {
    // A single event again: the occurrence the script holds, as it holds it.
    series.dropRepetition();
    writeSpanLike(editor, series.main(), *e.startDate(), e.endDate(), startProperty(series.main()), zone);
    applyTextFields(editor, series.main(), e, kTextFields);
    return *e.startDate();
  }
  WallShift shift;
  if (fields & kSpanFields) shift = wallShiftBetween(shown.start, shown.end, e.startDate(), e.endDate(), *zone);
  const bool newRule = fields & CalCalendarItem::kRecurrenceRule;
  series.move(shift, !newRule);
  if (newRule) {
    editor.setRule(series.main(), ruleText(*e.recurrenceRule(), series.start()));
    series.dropOrphans();
  }
  const Date now = movedOriginal(original, shift, *zone);
  icalcomponent* edited = series.overrideOf(now);
  if (edited && (fields & kSpanFields)) {
    writeSpanLike(editor, edited, *e.startDate(), e.endDate(), startProperty(series.main()), zone);
  }
  applyTextFields(editor, series.main(), e, fields);
  for (icalcomponent* o : series.overrides()) {
    const ComponentRecord own = readComponent(o, series.calendar(), zones);
    unsigned shared = 0;
    for (auto field : {CalCalendarItem::kTitle, CalCalendarItem::kNotes, CalCalendarItem::kLocation,
                       CalCalendarItem::kUrl}) {
      if (o == edited || textOf(own, field) == textOf(mainBefore, field)) shared |= field;
    }
    applyTextFields(editor, o, e, fields & shared);
  }
  return now;
}

// Whether a series starts after the last year libical expands rules in,
// where it would show its first occurrence only.
bool startsBeyondRules(const ItemRecord& r) { return repeats(r) && r.main.start->local.year > kLastRuleYear; }

// Whether an edit makes `after` such a series (one read as such stays
// editable).
bool movesBeyondRules(icalcomponent* after, const ItemRecord* before, ZoneTable& zones) {
  const ReadOutcome read = readItemCalendar(after, zones);
  return read.item && startsBeyondRules(*read.item) && !(before && startsBeyondRules(*before));
}

const String kBeyondRules = u"A repeating event can start no later than the year " +
                            foundation::fromUtf8(std::to_string(kLastRuleYear)) + u".";

// Whether the event changes between all-day and timed.
bool changesDayForm(const zylo::CalEvent& e, const StoredTime& start) {
  return (e.changedFields() & CalCalendarItem::kIsAllDay) && e.isAllDay() != start.isDate;
}

// The occurrence an edit for more than itself starts from, as it was read;
// none, with the refusal in `error`, when the edit cannot reach the series.
std::optional<Occurrence> editedOccurrence(const ItemRecord& stored, const zylo::CalEvent& e,
                                           zylo::StoreError& error) {
  if (changesDayForm(e, *stored.main.start)) {
    refuse(error, kNotSaved,
           u"A repeating event cannot change between all-day and timed; remove its repetition first.");
    return std::nullopt;
  }
  auto shown = occurrenceAt(stored, *e.occurrence());
  if (!shown) refuse(error, kNotSaved, kOccurrenceGone);
  return shown;
}

// Whether the event in its file still has the occurrence the script opened:
// the series yields it (another program may have moved its rule) and does
// not exclude it; a single event's one occurrence is its start.
bool stillHas(const ItemRecord& stored, Date original) {
  if (repeats(stored)) return occurrenceAt(stored, original).has_value();
  return stored.main.start && stored.main.start->instant == original;
}

// The VEVENTs of a file without its series whose RECURRENCE-ID `pick`
// accepts.
template <class Pick>
std::vector<icalcomponent*> occurrencesWhere(icalcomponent* calendar, ZoneTable& zones, Pick pick) {
  std::vector<icalcomponent*> found;
  for (icalcomponent* c : componentsOf(calendar, ICAL_VEVENT_COMPONENT)) {
    if (auto id = readComponent(c, calendar, zones).recurrenceId; id && pick(*id)) found.push_back(c);
  }
  return found;
}

const String kNoSeries = u"The file holds only changed occurrences of a series kept elsewhere: each can be changed "
                         u"on its own, the series only where it is kept.";
const String kExtraDateOfChange = u"The occurrence is an extra date of a changed occurrence whose series is kept "
                                 u"elsewhere: it can be changed only there.";

// Removes from a file without its series the occurrence `original`, or
// with `fromThereOn` every one from it on; the file goes with the last.
ItemEdit removeWithoutSeries(icalcomponent* calendar, ZoneTable& zones, Date original, bool fromThereOn,
                             const OriginalText* text) {
  for (icalcomponent* c : occurrencesWhere(calendar, zones, [&](Date id) {
         return fromThereOn ? id >= original : id == original;
       })) {
    removeComponent(calendar, c);
  }
  if (!icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT)) return ItemEdit{Swap::remove()};
  return ItemEdit{Swap::replace(itemText(calendar, text))};
}

}  // namespace

bool VdirCalendarStore::saveNewEvent(zylo::CalEvent& e, CalendarEntry& entry, zylo::StoreError& error) {
  if (!e.startDate()) return refuse(error, kNotSaved, u"It has no start.");
  const Date now = clock_->now();
  ComponentPtr calendar = newCalendarComponent();
  const std::string uid = e.uid().empty() ? freshUuid() : foundation::toUtf8(e.uid());
  icalcomponent* event = addItemComponent(calendar.get(), ICAL_VEVENT_COMPONENT, uid, now);
  ComponentEditor editor(zones_.defaultZone());
  applyTextFields(editor, event, e, kTextFields);
  writeNewSpan(editor, event, e, zones_.defaultZone());
  if (e.recurrenceRule()) {
    const StoredTime start = *readComponent(event, calendar.get(), zones_).start;
    editor.setRule(event, ruleText(*e.recurrenceRule(), start));
  }
  if (movesBeyondRules(calendar.get(), nullptr, zones_)) return refuse(error, kNotSaved, kBeyondRules);
  const auto fileName = createItem(entry, uid, itemText(calendar.get(), nullptr), kNotSaved, error);
  if (!fileName) return false;
  e.setUid(foundation::fromUtf8(uid));
  e.setStoreFile(entry.info.folderName + "/" + *fileName);
  e.clearChanges();
  // As the file now holds it: its date stamp, and its days as written.
  reloadEvent(e, std::nullopt);
  return true;
}

ItemEdit VdirCalendarStore::editSingleEvent(StoredFile& stored, CalendarEntry& target, zylo::CalEvent& e,
                                            zylo::StoreError& error) {
  const unsigned fields = e.changedFields();
  const ZonePtr zone = stored.record.main.start->zone;
  ComponentEditor editor(zone);
  if (changesDayForm(e, *stored.record.main.start)) {
    // A new form: written as a new event's would be.
    ComponentEditor fresh(zones_.defaultZone());
    writeNewSpan(fresh, stored.main, e, zones_.defaultZone());
  } else if (fields & (kSpanFields | CalCalendarItem::kIsAllDay)) {
    writeSpanLike(editor, stored.main, *e.startDate(), e.endDate(), startProperty(stored.main), zone);
  }
  applyTextFields(editor, stored.main, e, fields);
  if ((fields & CalCalendarItem::kRecurrenceRule) && e.recurrenceRule()) {
    const StoredTime start = *readComponent(stored.main, stored.calendar.get(), zones_).start;
    editor.setRule(stored.main, ruleText(*e.recurrenceRule(), start));
  }
  editor.touch(stored.main, clock_->now());
  if (movesBeyondRules(stored.calendar.get(), &stored.record, zones_)) {
    return refusedEdit(error, kNotSaved, kBeyondRules);
  }
  return andThen(writeBack(stored, target, e), [this, &e] { reloadEvent(e, std::nullopt); });
}

ItemEdit VdirCalendarStore::editOccurrence(StoredFile& stored, const CalendarEntry& target, zylo::CalEvent& e,
                                           zylo::StoreError& error) {
  const unsigned fields = e.changedFields();
  // An override has no rule or calendar of its own: saved here the change
  // would be lost while the save reported success.
  if (fields & CalCalendarItem::kRecurrenceRule) {
    return refusedEdit(error, kNotSaved, u"A change of repetition belongs to the whole series.");
  }
  if (&target != stored.entry) {
    return refusedEdit(error, kNotSaved,
                       u"A change of calendar belongs to the whole series or to its future occurrences.");
  }
  if (changesDayForm(e, *stored.record.main.start)) {
    return refusedEdit(error, kNotSaved, u"One occurrence cannot change between all-day and timed on its own.");
  }
  const Date original = *e.occurrence();
  SeriesFile series(stored.calendar.get(), zones_);
  const ZonePtr zone = series.start().zone;
  ComponentEditor editor(zone);
  icalcomponent* override = series.overrideOf(original);
  if (override == nullptr) override = series.addOverride(original);
  if (fields & kSpanFields) {
    writeSpanLike(editor, override, *e.startDate(), e.endDate(), startProperty(stored.main), zone);
  }
  applyTextFields(editor, override, e, fields);
  editor.touch(override, clock_->now());
  return {Swap::replace(itemText(stored.calendar.get(), stored.originalText())),
          [this, &e, original] { reloadEvent(e, original); }};
}

ItemEdit VdirCalendarStore::editWholeSeries(StoredFile& stored, CalendarEntry& target, zylo::CalEvent& e,
                                            zylo::StoreError& error) {
  const auto shown = editedOccurrence(stored.record, e, error);
  if (!shown) return {};
  SeriesFile series(stored.calendar.get(), zones_);
  const Date now = editSeries(series, e, *shown, zones_);
  ComponentEditor(series.start().zone).touch(series.main(), clock_->now());
  if (movesBeyondRules(stored.calendar.get(), &stored.record, zones_)) {
    return refusedEdit(error, kNotSaved, kBeyondRules);
  }
  return andThen(writeBack(stored, target, e), [this, &e, now] { reloadEvent(e, now); });
}

ItemEdit VdirCalendarStore::splitSeries(StoredFile& stored, CalendarEntry& target, zylo::CalEvent& e,
                                        zylo::StoreError& error) {
  const auto shown = editedOccurrence(stored.record, e, error);
  if (!shown) return {};
  const Date original = *e.occurrence();
  const Date now = clock_->now();
  // The new series: the file from this occurrence on, under a new UID.
  ComponentPtr later(icalcomponent_new_clone(stored.calendar.get()));
  const std::string uid = freshUuid();
  for (icalcomponent* c : componentsOf(later.get(), ICAL_VEVENT_COMPONENT)) icalcomponent_set_uid(c, uid.c_str());
  SeriesFile laterSeries(later.get(), zones_);
  laterSeries.startAt(original);
  const Date moved = editSeries(laterSeries, e, *shown, zones_);
  ComponentEditor(laterSeries.start().zone).touch(laterSeries.main(), now);
  // The old series ends before it.
  SeriesFile earlier(stored.calendar.get(), zones_);
  earlier.endBefore(original);
  ComponentEditor(earlier.start().zone).touch(earlier.main(), now);

  if (movesBeyondRules(later.get(), &stored.record, zones_)) return refusedEdit(error, kNotSaved, kBeyondRules);
  // Made first and removed again when the old series cannot be shortened:
  // without the shortened old series the new one would double it.
  const std::string laterFile = unusedFileName(target, uid);
  const std::string storeFile = target.info.folderName + "/" + laterFile;
  Swap::NewFile laterSeriesFile{folderOf(target) / laterFile, itemText(later.get(), stored.originalText()),
                                stored.access};
  return {Swap::replace(itemText(stored.calendar.get(), stored.originalText()), std::move(laterSeriesFile)),
          [this, &e, uid, storeFile, moved] {
            e.setUid(foundation::fromUtf8(uid));
            e.setStoreFile(storeFile);
            e.clearChanges();
            reloadEvent(e, moved);
          }};
}

ItemEdit VdirCalendarStore::editWithoutSeries(StoredFile& stored, const CalendarEntry& target, zylo::CalEvent& e,
                                              zylo::CalSpan span, zylo::StoreError& error) {
  const unsigned fields = e.changedFields();
  if (!e.occurrence() || span != zylo::CalSpan::kThisEvent || (fields & CalCalendarItem::kRecurrenceRule) ||
      &target != stored.entry) {
    return refusedEdit(error, kNotSaved, kNoSeries);
  }
  const Date original = *e.occurrence();
  const auto found = occurrencesWhere(stored.calendar.get(), zones_, [&](Date id) { return id == original; });
  if (found.empty()) return refusedEdit(error, kNotSaved, kExtraDateOfChange);
  icalcomponent* occurrence = found.front();
  const StoredTime start = *readComponent(occurrence, stored.calendar.get(), zones_).start;
  if (changesDayForm(e, start)) {
    return refusedEdit(error, kNotSaved, u"One occurrence cannot change between all-day and timed on its own.");
  }
  ComponentEditor editor(start.zone);
  if (fields & kSpanFields) {
    writeSpanLike(editor, occurrence, *e.startDate(), e.endDate(), startProperty(occurrence), start.zone);
  }
  applyTextFields(editor, occurrence, e, fields);
  editor.touch(occurrence, clock_->now());
  return {Swap::replace(itemText(stored.calendar.get(), stored.originalText())),
          [this, &e, original] { reloadEvent(e, original); }};
}

bool VdirCalendarStore::saveEvent(zylo::CalEvent& e, zylo::CalSpan span, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  if (e.startDate() && e.endDate() && *e.endDate() < *e.startDate()) {
    return refuse(error, kNotSaved, u"Its end lies before its start.");
  }
  CalendarEntry* target = writableCalendar(e.calendar().get(), kNotSaved, error);
  if (!target) return false;
  if (e.storeFile().empty()) return saveNewEvent(e, *target, error);
  return editStored(e.storeFile(), kNotSaved, error, [&](StoredFile& stored) {
    if (e.occurrence() && !stillHas(stored.record, *e.occurrence())) {
      return refusedEdit(error, kNotSaved, kOccurrenceGone);
    }
    if (stored.record.withoutSeries) return editWithoutSeries(stored, *target, e, span, error);
    if (!repeats(stored.record) || !e.occurrence()) return editSingleEvent(stored, *target, e, error);
    if (span == zylo::CalSpan::kThisEvent) return editOccurrence(stored, *target, e, error);
    const auto first = firstOccurrence(stored.record);
    if (span == zylo::CalSpan::kFutureEvents && first && first->occurrence != e.occurrence()) {
      return splitSeries(stored, *target, e, error);
    }
    return editWholeSeries(stored, *target, e, error);
  });
}

bool VdirCalendarStore::removeEvent(zylo::CalEvent& e, zylo::CalSpan span, zylo::StoreError& error) {
  std::lock_guard guard(lock_);
  refresh();
  const String what = u"The event could not be removed";
  if (e.storeFile().empty()) return refuse(error, what, u"It was never saved.");
  return editStored(e.storeFile(), what, error, [&](StoredFile& stored) {
    if (!e.occurrence() || span == zylo::CalSpan::kAllEvents) return ItemEdit{Swap::remove()};
    const Date original = *e.occurrence();
    if (!stillHas(stored.record, original)) return refusedEdit(error, what, kOccurrenceGone);
    if (stored.record.withoutSeries) {
      const auto own = occurrencesWhere(stored.calendar.get(), zones_, [&](Date id) { return id == original; });
      if (own.empty()) return refusedEdit(error, what, kExtraDateOfChange);
      return removeWithoutSeries(stored.calendar.get(), zones_, original, span == zylo::CalSpan::kFutureEvents,
                                 stored.originalText());
    }
    const auto first = firstOccurrence(stored.record);
    const bool isFirst = first && first->occurrence == original;
    if (!repeats(stored.record) || (span == zylo::CalSpan::kFutureEvents && isFirst)) {
      return ItemEdit{Swap::remove()};
    }
    SeriesFile series(stored.calendar.get(), zones_);
    if (span == zylo::CalSpan::kThisEvent) {
      series.exclude(original);
      // A series with no occurrence left goes with its file.
      if (!firstOccurrence(series.record())) return ItemEdit{Swap::remove()};
    } else {
      series.endBefore(original);
    }
    ComponentEditor(series.start().zone).touch(series.main(), clock_->now());
    return ItemEdit{Swap::replace(itemText(stored.calendar.get(), stored.originalText()))};
  });
}

}  // namespace calendarstore
