#include "platform/calendarstore/series_file.h"

#include <algorithm>

#include "platform/calendarstore/component_editor.h"
#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/item_reader.h"
#include "platform/calendarstore/occurrence_expander.h"
#include "platform/calendarstore/rule_conversion.h"
#include "platform/calendarstore/write_support.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

using foundation::Date;
using std::chrono::seconds;

constexpr int64_t kDay = 86400;

void removeProperty(icalcomponent* c, icalproperty* p) {
  icalcomponent_remove_property(c, p);
  icalproperty_free(p);
}

icaltimetype timeOf(icalproperty* p) { return icalvalue_get_datetime(icalproperty_get_value(p)); }

}  // namespace

SeriesFile::SeriesFile(icalcomponent* calendar, ZoneTable& zones) : calendar_(calendar), zones_(zones) {
  for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); c;
       c = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    if (!icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) main_ = c;
  }
  start_ = *readComponent(main_, calendar_, zones_).start;
}

ItemRecord SeriesFile::record() const { return *readItemCalendar(calendar_, zones_).item; }

std::vector<icalcomponent*> SeriesFile::overrides() const {
  std::vector<icalcomponent*> list;
  for (icalcomponent* c = icalcomponent_get_first_component(calendar_, ICAL_VEVENT_COMPONENT); c;
       c = icalcomponent_get_next_component(calendar_, ICAL_VEVENT_COMPONENT)) {
    if (c != main_) list.push_back(c);
  }
  return list;
}

std::optional<Date> SeriesFile::instantOf(icalproperty* p, icaltimetype t) const {
  return instantOfTime(p, t, calendar_, zones_);
}

std::optional<Date> SeriesFile::recurrenceIdOf(icalcomponent* c) const {
  icalproperty* p = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY);
  return p ? instantOf(p, icalproperty_get_recurrenceid(p)) : std::nullopt;
}

icalcomponent* SeriesFile::overrideOf(Date original) const {
  for (icalcomponent* c : overrides()) {
    if (recurrenceIdOf(c) == original) return c;
  }
  return nullptr;
}

icalcomponent* SeriesFile::addOverride(Date original) {
  icalcomponent* override = icalcomponent_new_clone(main_);
  for (auto kind : {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY, ICAL_EXDATE_PROPERTY, ICAL_EXRULE_PROPERTY}) {
    ComponentEditor::removeAll(override, kind);
  }
  ComponentEditor editor(start_.zone);
  icalproperty* start = icalcomponent_get_first_property(main_, ICAL_DTSTART_PROPERTY);
  editor.addTimeLike(override, ICAL_RECURRENCEID_PROPERTY, original, start, start_.zone);
  icalcomponent_add_component(calendar_, override);
  // At the occurrence's own times: the main component's moved there.
  const seconds toOriginal{foundation::wallSeconds(foundation::splitGregorian(original, *start_.zone)) -
                           foundation::wallSeconds(start_.local)};
  moveSpan(override, {toOriginal, toOriginal});
  return override;
}

icaltimetype SeriesFile::moved(icaltimetype t, seconds shift) const {
  const int64_t days = start_.isDate ? (shift.count() - (shift.count() % kDay + kDay) % kDay) / kDay
                                     : dayShift(start_.local, shift);
  return shiftedTime(t, shift, days, *start_.zone);
}

void SeriesFile::moveSpan(icalcomponent* c, const WallShift& shift) {
  icalproperty* start = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY);
  if (start == nullptr) return;
  const icaltimetype oldStart = icalproperty_get_dtstart(start);
  icalproperty_set_value(start, timeValue(moved(oldStart, shift.start)));
  if (icalproperty* end = icalcomponent_get_first_property(c, ICAL_DTEND_PROPERTY)) {
    icalproperty_set_value(end, timeValue(moved(icalproperty_get_dtend(end), shift.end)));
    return;
  }
  if (shift.end == shift.start) return;
  const seconds longer = shift.end - shift.start;
  if (icalproperty* duration = icalcomponent_get_first_property(c, ICAL_DURATION_PROPERTY)) {
    const int total = icaldurationtype_as_int(icalproperty_get_duration(duration)) + static_cast<int>(longer.count());
    icalproperty_set_duration(duration, icaldurationtype_from_int(std::max(0, total)));
    return;
  }
  // No end written: a time lasts no time, a date one day.
  const seconds length = longer + seconds{oldStart.is_date ? kDay : 0};
  if (length.count() > 0) {
    icalcomponent_add_property(c, icalproperty_new_duration(icaldurationtype_from_int(static_cast<int>(length.count()))));
  }
}

bool SeriesFile::hasOwnTime(icalcomponent* override, const ItemRecord& before) const {
  const ComponentRecord own = readComponent(override, calendar_, zones_);
  if (!own.start || !own.recurrenceId) return false;
  // A day is a day, however long the clocks make it.
  const bool ownLength = own.start->isDate ? own.durationDays != before.main.durationDays
                                           : own.durationSeconds != before.main.durationSeconds;
  return own.start->instant != *own.recurrenceId || ownLength;
}

void SeriesFile::move(const WallShift& shift, bool ruleDays) {
  if (!shift.moves()) return;
  const ItemRecord before = record();
  std::vector<icalcomponent*> ownTime;
  for (icalcomponent* o : overrides()) {
    if (hasOwnTime(o, before)) ownTime.push_back(o);
  }
  moveSpan(main_, shift);
  for (icalproperty* p : propertiesOf(main_, ICAL_RDATE_PROPERTY)) {
    icaldatetimeperiodtype value = icalproperty_get_rdate(p);
    if (!icaltime_is_null_time(value.time)) {
      value.time = moved(value.time, shift.start);
    } else {
      value.period.start = moved(value.period.start, shift.start);
      if (!icaltime_is_null_time(value.period.end)) value.period.end = moved(value.period.end, shift.start);
    }
    icalproperty_set_rdate(p, value);
  }
  for (icalproperty* p : propertiesOf(main_, ICAL_EXDATE_PROPERTY)) {
    icalproperty_set_value(p, timeValue(moved(icalproperty_get_exdate(p), shift.start)));
  }
  if (icalproperty* p = icalcomponent_get_first_property(main_, ICAL_RRULE_PROPERTY)) {
    icalrecurrencetype rule = icalproperty_get_rrule(p);
    if (!icaltime_is_null_time(rule.until)) rule.until = moved(rule.until, shift.start);
    if (ruleDays) shiftRuleDays(rule, start_.local, shift.start);
    icalproperty_set_rrule(p, rule);
  }
  for (icalcomponent* o : overrides()) {
    icalproperty* id = icalcomponent_get_first_property(o, ICAL_RECURRENCEID_PROPERTY);
    icalproperty_set_value(id, timeValue(moved(icalproperty_get_recurrenceid(id), shift.start)));
    if (std::find(ownTime.begin(), ownTime.end(), o) == ownTime.end()) moveSpan(o, shift);
  }
  start_ = *readComponent(main_, calendar_, zones_).start;
}

template <class Pick>
void SeriesFile::dropDates(icalproperty_kind kind, Pick drop) {
  for (icalproperty* p : propertiesOf(main_, kind)) {
    icaltimetype t = kind == ICAL_RDATE_PROPERTY ? icalproperty_get_rdate(p).time : timeOf(p);
    if (kind == ICAL_RDATE_PROPERTY && icaltime_is_null_time(t)) t = icalproperty_get_rdate(p).period.start;
    auto at = instantOf(p, t);
    if (at && drop(*at)) removeProperty(main_, p);
  }
}

void SeriesFile::exclude(Date original) {
  if (icalcomponent* override = overrideOf(original)) {
    removeComponent(calendar_, override);
  }
  ComponentEditor editor(start_.zone);
  icalproperty* start = icalcomponent_get_first_property(main_, ICAL_DTSTART_PROPERTY);
  editor.addTimeLike(main_, ICAL_EXDATE_PROPERTY, original, start, start_.zone);
}

template <class Pick>
void SeriesFile::dropWhere(Pick drop) {
  for (icalcomponent* o : overrides()) {
    if (auto id = recurrenceIdOf(o); id && drop(*id)) {
      removeComponent(calendar_, o);
    }
  }
  dropDates(ICAL_RDATE_PROPERTY, drop);
  dropDates(ICAL_EXDATE_PROPERTY, drop);
}

void SeriesFile::endBefore(Date original) {
  if (original <= start_.instant) return keepExtraDatesBefore(original);
  if (icalproperty* p = icalcomponent_get_first_property(main_, ICAL_RRULE_PROPERTY)) {
    icalrecurrencetype rule = icalproperty_get_rrule(p);
    const bool endsEarlier = !icaltime_is_null_time(rule.until) &&
                             untilInstant(rule.until, start_, true) < original;
    if (!endsEarlier) {
      rule.count = 0;
      rule.until = untilBefore(original, start_);
      icalproperty_set_rrule(p, rule);
    }
  }
  dropWhere([&](Date at) { return at >= original; });
}

void SeriesFile::keepExtraDatesBefore(Date original) {
  std::optional<Date> earliest;
  icalproperty* earliestDate = nullptr;
  for (icalproperty* p : propertiesOf(main_, ICAL_RDATE_PROPERTY)) {
    icaltimetype t = icalproperty_get_rdate(p).time;
    if (icaltime_is_null_time(t)) t = icalproperty_get_rdate(p).period.start;
    auto at = instantOf(p, t);
    if (at && *at < original && (!earliest || *at < *earliest)) earliest = at, earliestDate = p;
  }
  if (!earliest) return;
  // The rule and its own start lie from `original` on: the earliest extra
  // date becomes the start of what is left.
  ComponentEditor::removeAll(main_, ICAL_RRULE_PROPERTY);
  ComponentEditor::removeAll(main_, ICAL_EXRULE_PROPERTY);
  removeProperty(main_, earliestDate);
  const seconds toEarliest{foundation::wallSeconds(foundation::splitGregorian(*earliest, *start_.zone)) -
                           foundation::wallSeconds(start_.local)};
  moveSpan(main_, {toEarliest, toEarliest});
  start_ = *readComponent(main_, calendar_, zones_).start;
  dropWhere([&](Date at) { return at >= original; });
  if (icalcomponent_get_first_property(main_, ICAL_RDATE_PROPERTY)) return;
  // One occurrence left: if it was changed, the change is the event.
  if (icalcomponent* changed = overrideOf(start_.instant)) {
    ComponentEditor::removeAll(changed, ICAL_RECURRENCEID_PROPERTY);
    removeComponent(calendar_, main_);
    main_ = changed;
    start_ = *readComponent(main_, calendar_, zones_).start;
  }
  dropRepetition();
}

void SeriesFile::startAt(Date original) {
  const ItemRecord before = record();
  if (icalproperty* p = icalcomponent_get_first_property(main_, ICAL_RRULE_PROPERTY)) {
    icalrecurrencetype rule = icalproperty_get_rrule(p);
    if (rule.count > 0) {
      rule.count = std::max(1, rule.count - ruleInstancesBefore(before, original));
      icalproperty_set_rrule(p, rule);
    }
  }
  dropWhere([&](Date at) { return at < original; });
  const seconds toOriginal{foundation::wallSeconds(foundation::splitGregorian(original, *start_.zone)) -
                           foundation::wallSeconds(start_.local)};
  moveSpan(main_, {toOriginal, toOriginal});
  start_ = *readComponent(main_, calendar_, zones_).start;
}

void SeriesFile::dropRepetition() {
  for (auto kind : {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY, ICAL_EXDATE_PROPERTY, ICAL_EXRULE_PROPERTY}) {
    ComponentEditor::removeAll(main_, kind);
  }
  for (icalcomponent* o : overrides()) {
    removeComponent(calendar_, o);
  }
}

void SeriesFile::dropOrphans() {
  const ItemRecord now = record();
  if (!repeats(now)) return dropRepetition();
  for (icalcomponent* o : overrides()) {
    if (auto id = recurrenceIdOf(o); id && !isOriginal(now, *id)) {
      removeComponent(calendar_, o);
    }
  }
  for (icalproperty* p : propertiesOf(main_, ICAL_EXDATE_PROPERTY)) {
    const icaltimetype t = timeOf(p);
    if (t.is_date && !start_.isDate) continue;  // a whole day excluded: nothing to match
    if (auto at = instantOf(p, t); at && !isOriginal(now, *at)) removeProperty(main_, p);
  }
}

}  // namespace calendarstore
