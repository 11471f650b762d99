#include "platform/calendarstore/item_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/calendarstore/ical_ptr.h"
#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/item_parsing.h"
#include "platform/calendarstore/item_repairs.h"
#include "platform/calendarstore/text_forms.h"
#include "platform/calendarstore/write_support.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

using foundation::Date;

foundation::OptionalString text(const char* s) {
  if (s == nullptr || *s == '\0') return std::nullopt;
  return foundation::fromUtf8(s);
}

Date instantOfUtcFields(const foundation::LocalDateTime& l) {
  return Date{std::chrono::seconds{foundation::daysFromCivil(l.year, l.month, l.day) * 86400 +
                                   l.hour * 3600 + l.minute * 60 + l.second}};
}

class ComponentReader {
 public:
  ComponentReader(icalcomponent* calendar, ZoneTable& zones) : calendar_(calendar), zones_(zones) {}

  ComponentRecord read(icalcomponent* c) {
    ComponentRecord r;
    r.uid = text(icalcomponent_get_uid(c)).value_or(u"");
    r.title = textOf(c, ICAL_SUMMARY_PROPERTY);
    r.notes = textOf(c, ICAL_DESCRIPTION_PROPERTY);
    r.location = textOf(c, ICAL_LOCATION_PROPERTY);
    r.url = textOf(c, ICAL_URL_PROPERTY);
    r.dateStamp = instantOf(c, ICAL_LASTMODIFIED_PROPERTY);
    if (!r.dateStamp) r.dateStamp = instantOf(c, ICAL_DTSTAMP_PROPERTY);
    if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY)) {
      r.start = timeOf(p, icalproperty_get_dtstart(p));
    }
    readLength(c, r);
    r.recurrenceId = instantOf(c, ICAL_RECURRENCEID_PROPERTY);
    if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY)) {
      icalparameter* range = icalproperty_get_first_parameter(p, ICAL_RANGE_PARAMETER);
      r.thisAndFuture = range && icalparameter_get_range(range) == ICAL_RANGE_THISANDFUTURE;
    }
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_RRULE_PROPERTY)) {
      std::string rule = takeText(icalproperty_get_value_as_string_r(p));
      if (!r.rrule) {
        r.rrule = std::move(rule);
      } else {
        r.moreRrules.push_back(std::move(rule));
      }
    }
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_RDATE_PROPERTY)) {
      readExtraDate(p, r);
    }
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_EXDATE_PROPERTY)) {
      auto t = timeOf(p, icalproperty_get_exdate(p));
      if (!t) continue;
      // A date excludes the whole day from a series of timed occurrences.
      if (t->isDate && r.start && !r.start->isDate) {
        r.exdateDays.push_back(foundation::daysFromCivil(t->local.year, t->local.month, t->local.day));
      } else {
        r.exdates.push_back(t->instant);
      }
    }
    readAttendees(c, r);
    readAlarms(c, r);
    if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_DUE_PROPERTY)) {
      if (auto t = timeOf(p, icalproperty_get_due(p))) r.due = t->instant;
    }
    r.completed = instantOf(c, ICAL_COMPLETED_PROPERTY);
    icalproperty* status = icalcomponent_get_first_property(c, ICAL_STATUS_PROPERTY);
    r.isCompleted = r.completed || (status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED);
    if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_PRIORITY_PROPERTY)) {
      r.priority = icalproperty_get_priority(p);
    }
    return r;
  }

  std::optional<Date> instantOf(icalproperty* p, icaltimetype t) {
    auto s = timeOf(p, t);
    if (!s) return std::nullopt;
    return s->instant;
  }

  std::optional<StoredTime> recurrenceIdOf(icalcomponent* c) {
    icalproperty* p = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY);
    return p ? timeOf(p, icalproperty_get_recurrenceid(p)) : std::nullopt;
  }

  // What reading the times mended (the zones named), each said once.
  const std::vector<std::string>& repairs() const { return repairs_; }

 private:
  void noteRepair(std::string repair) {
    if (std::find(repairs_.begin(), repairs_.end(), repair) == repairs_.end()) repairs_.push_back(std::move(repair));
  }

  static foundation::OptionalString textOf(icalcomponent* c, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(c, kind);
    if (p == nullptr) return std::nullopt;
    icalvalue* v = icalproperty_get_value(p);
    if (v == nullptr) return std::nullopt;
    // URL values are URIs, the others texts, whose line breaks the host
    // knows as carriage returns; both come back unescaped.
    if (icalvalue_isa(v) != ICAL_TEXT_VALUE) return text(icalvalue_as_ical_string(v));
    const char* s = icalvalue_get_text(v);
    if (s == nullptr || *s == '\0') return std::nullopt;
    return hostText(s);
  }

  std::optional<Date> instantOf(icalcomponent* c, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(c, kind);
    if (p == nullptr) return std::nullopt;
    icalvalue* v = icalproperty_get_value(p);
    if (v == nullptr) return std::nullopt;
    auto t = timeOf(p, icalvalue_get_datetime(v));
    if (!t) return std::nullopt;
    return t->instant;
  }

  // libical is never asked to convert a local time: it resolves daylight-
  // saving gaps and repeats the wrong way, so the zone table's zones do.
  std::optional<StoredTime> timeOf(icalproperty* p, icaltimetype t) {
    // libical's own test of a time refuses the years after 3000.
    if (icaltime_is_null_time(t) || t.year < 0 || t.year > 9999) return std::nullopt;
    StoredTime s;
    s.isDate = t.is_date;
    s.local = {t.year, t.month, t.day, t.is_date ? 0 : t.hour, t.is_date ? 0 : t.minute,
               t.is_date ? 0 : t.second};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > foundation::daysInMonth(t.year, t.month)) {
      return std::nullopt;
    }
    if (!t.is_date && icaltime_is_utc(t)) {
      s.zone = zones_.utc();
      s.instant = instantOfUtcFields(s.local);
      return s;
    }
    s.zone = zones_.defaultZone();
    s.isFloating = !t.is_date;
    if (!t.is_date) {
      if (icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER)) {
        s.isFloating = false;
        ZoneTable::Match match = zones_.match(icalparameter_get_tzid(tzid), calendar_);
        s.zone = match.zone;
        if (!match.repair.empty()) noteRepair(std::move(match.repair));
      }
    }
    s.instant = s.zone->dateFromLocal(s.local);
    return s;
  }

  // An RDATE names a start, or a period with its own end or length.
  void readExtraDate(icalproperty* p, ComponentRecord& r) {
    const icaldatetimeperiodtype value = icalproperty_get_rdate(p);
    if (!icaltime_is_null_time(value.time)) {
      if (auto t = timeOf(p, value.time)) r.rdates.push_back({*t, std::nullopt});
      return;
    }
    const icalperiodtype& period = value.period;
    auto start = timeOf(p, period.start);
    if (!start) return;
    ExtraDate extra{*start, std::nullopt};
    if (!icaltime_is_null_time(period.end)) {
      if (auto end = timeOf(p, period.end)) extra.end = std::max(end->instant, start->instant);
    } else if (!icaldurationtype_is_null_duration(period.duration) && !period.duration.is_neg) {
      extra.end = start->instant + std::chrono::seconds{icaldurationtype_as_int(period.duration)};
    }
    r.rdates.push_back(extra);
  }

  void readLength(icalcomponent* c, ComponentRecord& r) {
    if (!r.start) return;
    if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_DTEND_PROPERTY)) {
      if (auto end = timeOf(p, icalproperty_get_dtend(p))) {
        r.durationSeconds = std::max<int64_t>(0, (end->instant - r.start->instant).count());
        if (r.start->isDate) {
          r.durationDays = static_cast<int>(std::max<int64_t>(
              0, foundation::daysFromCivil(end->local.year, end->local.month, end->local.day) -
                     foundation::daysFromCivil(r.start->local.year, r.start->local.month,
                                               r.start->local.day)));
        }
        return;
      }
    }
    if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_DURATION_PROPERTY)) {
      const icaldurationtype d = icalproperty_get_duration(p);
      if (!d.is_neg) {
        r.durationSeconds = icaldurationtype_as_int(d);
        r.durationDays = static_cast<int>(d.days + 7 * d.weeks);
      }
      return;
    }
    if (r.start->isDate) r.durationSeconds = 86400, r.durationDays = 1;
  }

  static foundation::OptionalString statusWords(icalproperty* p) {
    icalparameter* partstat = icalproperty_get_first_parameter(p, ICAL_PARTSTAT_PARAMETER);
    switch (partstat ? icalparameter_get_partstat(partstat) : ICAL_PARTSTAT_NEEDSACTION) {
      case ICAL_PARTSTAT_NEEDSACTION: return u"needs action";
      case ICAL_PARTSTAT_ACCEPTED: return u"accepted";
      case ICAL_PARTSTAT_DECLINED: return u"declined";
      case ICAL_PARTSTAT_TENTATIVE: return u"tentative";
      case ICAL_PARTSTAT_DELEGATED: return u"delegated";
      case ICAL_PARTSTAT_COMPLETED: return u"completed";
      case ICAL_PARTSTAT_INPROCESS: return u"in process";
      case ICAL_PARTSTAT_X: {
        // Values libical has no name for, IN-PROCESS among them, come as text.
        std::string words = icalparameter_get_xvalue(partstat) ? icalparameter_get_xvalue(partstat) : "";
        for (char& c : words) c = c == '-' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text(words.c_str());
      }
      default: return std::nullopt;
    }
  }

  static void readAttendees(icalcomponent* c, ComponentRecord& r) {
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ATTENDEE_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_ATTENDEE_PROPERTY)) {
      r.hasAttendees = true;
      zylo::CalAttendee a;
      if (auto address = text(icalproperty_get_attendee(p))) {
        a.address = foundation::Url::withString(*address);
      }
      if (icalparameter* cn = icalproperty_get_first_parameter(p, ICAL_CN_PARAMETER)) {
        a.commonName = text(icalparameter_get_cn(cn));
      }
      a.status = statusWords(p);
      r.attendees.push_back(std::move(a));
    }
  }

  static void readAlarms(icalcomponent* c, ComponentRecord& r) {
    for (icalcomponent* alarm = icalcomponent_get_first_component(c, ICAL_VALARM_COMPONENT); alarm;
         alarm = icalcomponent_get_next_component(c, ICAL_VALARM_COMPONENT)) {
      icalproperty* p = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
      if (p == nullptr) continue;
      const icaltriggertype trigger = icalproperty_get_trigger(p);
      AlarmTrigger t;
      if (!icaltime_is_null_time(trigger.time)) {
        const icaltimetype at = trigger.time;
        t.absolute = instantOfUtcFields({at.year, at.month, at.day, at.hour, at.minute, at.second});
      } else {
        t.offsetSeconds = icaldurationtype_as_int(trigger.duration);
        icalparameter* related = icalproperty_get_first_parameter(p, ICAL_RELATED_PARAMETER);
        t.fromEnd = related && icalparameter_get_related(related) == ICAL_RELATED_END;
      }
      r.alarms.push_back(t);
    }
  }

  icalcomponent* calendar_;
  ZoneTable& zones_;
  std::vector<std::string> repairs_;
};

// The extra dates a changed occurrence of a file without its series adds
// (a series split from an occurrence on, with dates of its own): each is an
// occurrence with that change's texts, and with the period's own end when
// the date was written as a period.
std::vector<ComponentRecord> occurrencesOfExtraDates(const std::vector<ComponentRecord>& changes) {
  std::vector<ComponentRecord> found;
  for (const ComponentRecord& change : changes) {
    for (const ExtraDate& extra : change.rdates) {
      ComponentRecord o = change;
      o.recurrenceId = extra.start.instant;
      o.thisAndFuture = false;
      o.rdates.clear();
      o.start = extra.start;
      if (extra.end) o.durationSeconds = (*extra.end - extra.start.instant).count(), o.durationDays = 0;
      found.push_back(std::move(o));
    }
  }
  return found;
}

// A file of changed occurrences only: its series lives elsewhere (the
// organiser's copy). The item stands for the series as far as the file
// knows it: its dates are the occurrences' RECURRENCE-IDs and the extra
// dates they add, each of them among the extra dates so that the item
// repeats however few there are.
void standForSeries(ItemRecord& item, ComponentReader& reader, const std::vector<icalcomponent*>& events) {
  std::sort(item.overrides.begin(), item.overrides.end(),
            [](const ComponentRecord& a, const ComponentRecord& b) { return *a.recurrenceId < *b.recurrenceId; });
  item.withoutSeries = true;
  item.main = item.overrides.front();
  item.main.recurrenceId.reset();
  item.main.thisAndFuture = false;
  item.main.rrule.reset();
  item.main.moreRrules.clear();
  item.main.rdates.clear();
  item.main.exdates.clear();
  item.main.exdateDays.clear();
  for (icalcomponent* c : events) {
    if (auto id = reader.recurrenceIdOf(c)) item.main.rdates.push_back({*id, std::nullopt});
  }
  for (ComponentRecord& o : occurrencesOfExtraDates(item.overrides)) {
    const bool known = std::any_of(item.main.rdates.begin(), item.main.rdates.end(),
                                   [&](const ExtraDate& d) { return d.start.instant == *o.recurrenceId; });
    if (known) continue;
    item.main.rdates.push_back({*o.start, std::nullopt});
    item.overrides.push_back(std::move(o));
  }
  std::sort(item.main.rdates.begin(), item.main.rdates.end(),
            [](const ExtraDate& a, const ExtraDate& b) { return a.start.instant < b.start.instant; });
  item.main.start = item.main.rdates.front().start;
}

// An all-day series' UNTIL written as a time ends it on the date written
// (untilInstant reads it so).
bool untilIsTimeOfDates(const ComponentRecord& main) {
  if (!main.rrule || !main.start || !main.start->isDate) return false;
  const icalrecurrencetype rule = icalrecurrencetype_from_string(main.rrule->c_str());
  return !icaltime_is_null_time(rule.until) && !rule.until.is_date;
}

}  // namespace

ReadOutcome readItemCalendar(icalcomponent* calendar, ZoneTable& zones) {
  if (calendar == nullptr || icalcomponent_isa(calendar) != ICAL_VCALENDAR_COMPONENT) {
    return {std::nullopt, "the file is not an iCalendar calendar"};
  }
  const bool hasEvents = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
  const bool hasTasks = icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT);
  if (hasEvents == hasTasks) {
    return {std::nullopt, hasEvents ? "the file holds both events and tasks" : "the file holds no event or task"};
  }
  ComponentReader reader(calendar, zones);
  ItemRecord item;
  item.kind = hasEvents ? ItemKind::kEvent : ItemKind::kTask;
  const icalcomponent_kind kind = hasEvents ? ICAL_VEVENT_COMPONENT : ICAL_VTODO_COMPONENT;
  if (hasEvents) item.repairs = mendAllDayDates(calendar);
  for (std::string& repair : keepLatestCopies(calendar, kind, [&](icalcomponent* c) -> std::optional<Date> {
         auto id = reader.recurrenceIdOf(c);
         return id ? std::optional(id->instant) : std::nullopt;
       })) {
    item.repairs.push_back(std::move(repair));
  }
  const std::vector<icalcomponent*> components = componentsOf(calendar, kind);
  bool haveMain = false;
  for (icalcomponent* c : components) {
    ComponentRecord record = reader.read(c);
    if (record.uid.empty()) return {std::nullopt, "an item in the file has no UID"};
    if (haveMain || !item.overrides.empty()) {
      const auto& first = haveMain ? item.main.uid : item.overrides.front().uid;
      if (record.uid != first) return {std::nullopt, "the file holds items with different UIDs"};
    }
    if (record.recurrenceId && item.kind == ItemKind::kEvent) {
      item.overrides.push_back(std::move(record));
    } else if (!haveMain) {
      item.main = std::move(record);
      haveMain = true;
    } else {
      return {std::nullopt, "the file holds the same item twice"};
    }
  }
  if (!haveMain) standForSeries(item, reader, components);
  if (item.kind == ItemKind::kEvent && !item.main.start) {
    return {std::nullopt, "the event has no start"};
  }
  if (untilIsTimeOfDates(item.main)) {
    item.repairs.push_back("the all-day series ends at a date-time; it ends on the date written");
  }
  for (const std::string& repair : reader.repairs()) item.repairs.push_back(repair);
  return {std::move(item), {}};
}

std::optional<Date> instantOfTime(icalproperty* p, icaltimetype t, icalcomponent* calendar,
                                  ZoneTable& zones) {
  return ComponentReader(calendar, zones).instantOf(p, t);
}

ComponentRecord readComponent(icalcomponent* component, icalcomponent* calendar, ZoneTable& zones) {
  return ComponentReader(calendar, zones).read(component);
}

ReadOutcome readItemFile(std::string_view bytes, ZoneTable& zones) {
  if (bytes.find('\0') != std::string_view::npos) return {std::nullopt, "the file is not text"};
  ComponentPtr calendar = parseItemText(bytes);
  return readItemCalendar(calendar.get(), zones);
}

}  // namespace calendarstore
