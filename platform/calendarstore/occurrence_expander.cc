#include "platform/calendarstore/occurrence_expander.h"

#include <libical/ical.h>

#include <algorithm>
#include <functional>

#include "platform/calendarstore/ical_time.h"
#include "platform/calendarstore/rule_conversion.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

using foundation::Date;
using std::chrono::seconds;

// A rule that yields more than this (FREQ=SECONDLY over years) is cut off
// rather than allowed to hold the host.
constexpr int kMaxIterations = 200000;

// The span of an occurrence starting at `start` with the component's length;
// whole days of an all-day event are counted on the calendar, so that a day
// stays a day across a daylight-saving change.
Date endOf(const ComponentRecord& c, Date start) {
  if (!c.start || !c.start->isDate || c.durationDays == 0) return start + seconds{c.durationSeconds};
  foundation::LocalDateTime l = foundation::splitGregorian(start, *c.start->zone);
  const auto civil = foundation::civilFromDays(
      foundation::daysFromCivil(l.year, l.month, l.day) + c.durationDays);
  return c.start->zone->dateFromLocal({static_cast<int>(civil.year), civil.month, civil.day, 0, 0, 0});
}

// Whether RFC 5545 allows the rule's parts together. libical searches a
// forbidden combination (a numbered weekday in an hourly rule) for seconds
// before it gives up, at every step: such a rule yields only the event's
// own start and extra dates.
bool permitted(const icalrecurrencetype& rule) {
  const bool monthlyOrYearly = rule.freq == ICAL_MONTHLY_RECURRENCE || rule.freq == ICAL_YEARLY_RECURRENCE;
  for (int i = 0; i < ICAL_BY_DAY_SIZE && rule.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
    if (!monthlyOrYearly && icalrecurrencetype_day_position(rule.by_day[i]) != 0) return false;
  }
  const bool usesMonthDays = rule.by_month_day[0] != ICAL_RECURRENCE_ARRAY_MAX;
  const bool usesYearDays = rule.by_year_day[0] != ICAL_RECURRENCE_ARRAY_MAX;
  const bool usesWeekNumbers = rule.by_week_no[0] != ICAL_RECURRENCE_ARRAY_MAX;
  if (usesMonthDays && rule.freq == ICAL_WEEKLY_RECURRENCE) return false;
  if (usesYearDays && (rule.freq == ICAL_DAILY_RECURRENCE || rule.freq == ICAL_WEEKLY_RECURRENCE ||
                       rule.freq == ICAL_MONTHLY_RECURRENCE)) {
    return false;
  }
  return !usesWeekNumbers || rule.freq == ICAL_YEARLY_RECURRENCE;
}

// libical walks an hourly, minutely or secondly rule one period at a time
// from its start, and its skip ahead loses the rule's step: a rule from
// centuries ago would hold the host for minutes. Started at its last whole
// period before `skipTo` instead, it yields the same instances from there.
foundation::LocalDateTime subDailyStartNear(const icalrecurrencetype& rule, const StoredTime& start,
                                            Date skipTo) {
  const int64_t unit = rule.freq == ICAL_HOURLY_RECURRENCE ? 3600 : rule.freq == ICAL_MINUTELY_RECURRENCE ? 60 : 1;
  if (start.isDate) return start.local;
  const int64_t period = unit * rule.interval;
  const int64_t first = foundation::wallSeconds(start.local);
  const int64_t distance = foundation::wallSeconds(foundation::splitGregorian(skipTo, *start.zone)) - first;
  if (distance <= period) return start.local;
  return foundation::localFields(first + distance / period * period);
}

// Calls `visit` with each date the rule yields in [from, to), ascending,
// until `visit` answers false. The event's own start is not among them.
void forEachRuleDate(const ItemRecord& event, Date from, Date to,
                     const std::function<bool(Date)>& visit) {
  const StoredTime& start = *event.main.start;
  if (!event.main.rrule) return;
  icalrecurrencetype rule = icalrecurrencetype_from_string(event.main.rrule->c_str());
  if (rule.freq == ICAL_NO_RECURRENCE || rule.interval < 1 || !permitted(rule)) return;
  std::optional<Date> until;
  if (!icaltime_is_null_time(rule.until)) until = untilInstant(rule.until, start, true);
  rule.until = icaltime_null_time();
  // Without a count the iterator can skip ahead to the window: a rule of
  // days or longer through libical, a shorter one by a later start.
  const Date skipTo = from - std::chrono::days{2};
  const bool skips = rule.count == 0 && skipTo > start.instant;
  const bool subDaily = rule.freq == ICAL_HOURLY_RECURRENCE || rule.freq == ICAL_MINUTELY_RECURRENCE ||
                        rule.freq == ICAL_SECONDLY_RECURRENCE;
  const foundation::LocalDateTime first = skips && subDaily ? subDailyStartNear(rule, start, skipTo) : start.local;
  icalrecur_iterator* it = icalrecur_iterator_new(rule, icalTimeOf(first, start.isDate));
  if (it == nullptr) return;
  if (skips && !subDaily) {
    icalrecur_iterator_set_start(
        it, icalTimeOf(foundation::splitGregorian(skipTo, *start.zone), start.isDate));
  }
  for (int n = 0; n < kMaxIterations; ++n) {
    const icaltimetype t = icalrecur_iterator_next(it);
    if (icaltime_is_null_time(t)) break;
    const Date instant = start.zone->dateFromLocal(fieldsOf(t));
    if ((until && instant > *until) || instant >= to) break;
    if (instant >= from && instant != start.instant && !visit(instant)) break;
  }
  icalrecur_iterator_free(it);
}

// The same with the event's own start and its extra dates first.
void forEachOriginal(const ItemRecord& event, Date from, Date to,
                     const std::function<bool(Date)>& visit) {
  const Date start = event.main.start->instant;
  if (start >= from && start < to && !visit(start)) return;
  for (const ExtraDate& rdate : event.main.rdates) {
    const Date at = rdate.start.instant;
    if (at >= from && at < to && !visit(at)) return;
  }
  forEachRuleDate(event, from, to, visit);
}

bool excluded(const ItemRecord& event, Date original) {
  const auto& ex = event.main.exdates;
  if (std::find(ex.begin(), ex.end(), original) != ex.end()) return true;
  if (event.main.exdateDays.empty()) return false;
  const foundation::LocalDateTime l = foundation::splitGregorian(original, *event.main.start->zone);
  const int64_t day = foundation::daysFromCivil(l.year, l.month, l.day);
  const auto& days = event.main.exdateDays;
  return std::find(days.begin(), days.end(), day) != days.end();
}

// The override that reaches `original` from an earlier occurrence
// (RANGE=THISANDFUTURE): the latest one before it.
const ComponentRecord* rangeOverrideOf(const ItemRecord& event, Date original) {
  const ComponentRecord* found = nullptr;
  for (const ComponentRecord& o : event.overrides) {
    if (o.thisAndFuture && *o.recurrenceId < original &&
        (!found || *o.recurrenceId > *found->recurrenceId)) {
      found = &o;
    }
  }
  return found;
}

// The end an RDATE written as a period gives its occurrence.
std::optional<Date> periodEndOf(const ItemRecord& event, Date original) {
  for (const ExtraDate& rdate : event.main.rdates) {
    if (rdate.start.instant == original && rdate.end) return rdate.end;
  }
  return std::nullopt;
}

const ComponentRecord* overrideOf(const ItemRecord& event, Date original) {
  for (const ComponentRecord& o : event.overrides) {
    if (o.recurrenceId == original) return &o;
  }
  return nullptr;
}

Occurrence occurrenceOf(const ItemRecord& event, Date original) {
  if (const ComponentRecord* o = overrideOf(event, original)) {
    const Date start = o->start ? o->start->instant : original;
    return {original, start, endOf(*o, start), o, true};
  }
  if (const ComponentRecord* o = rangeOverrideOf(event, original)) {
    // Later occurrences move as the override moved its own.
    const Date start = o->start ? original + (o->start->instant - *o->recurrenceId) : original;
    return {original, start, endOf(*o, start), o, true};
  }
  const Date end = periodEndOf(event, original).value_or(endOf(event.main, original));
  return {original, original, end, &event.main, false};
}

bool overlaps(const Occurrence& o, Date from, Date to) {
  if (o.start == o.end) return o.start >= from && o.start < to;
  return o.start < to && o.end > from;
}

}  // namespace

bool repeats(const ItemRecord& event) {
  return event.kind == ItemKind::kEvent && (event.main.rrule || !event.main.rdates.empty());
}

std::vector<Occurrence> occurrencesBetween(const ItemRecord& event, Date from, Date to) {
  std::vector<Occurrence> found;
  if (!event.main.start) return found;
  if (!repeats(event)) {
    const Date start = event.main.start->instant;
    Occurrence only{std::nullopt, start, endOf(event.main, start), &event.main, false};
    if (overlaps(only, from, to)) found.push_back(only);
    return found;
  }
  // An occurrence that began before `from` may still run into the range,
  // and one that a range override moves may come from outside it.
  seconds before{event.main.durationSeconds}, after{0};
  for (const ExtraDate& rdate : event.main.rdates) {
    if (rdate.end) before = std::max(before, *rdate.end - rdate.start.instant);
  }
  for (const ComponentRecord& o : event.overrides) {
    if (!o.thisAndFuture || !o.start) continue;
    const seconds moved = o.start->instant - *o.recurrenceId;
    before = std::max(before, moved + seconds{o.durationSeconds});
    after = std::max(after, -moved);
  }
  const Date earliest = from - before - std::chrono::days{1};
  forEachOriginal(event, earliest, to + after, [&](Date original) {
    if (!excluded(event, original) && !overrideOf(event, original)) {
      Occurrence o = occurrenceOf(event, original);
      if (overlaps(o, from, to)) found.push_back(o);
    }
    return true;
  });
  // Overrides may have moved their occurrence anywhere.
  for (const ComponentRecord& o : event.overrides) {
    if (excluded(event, *o.recurrenceId)) continue;
    Occurrence moved = occurrenceOf(event, *o.recurrenceId);
    if (overlaps(moved, from, to)) found.push_back(moved);
  }
  std::sort(found.begin(), found.end(),
            [](const Occurrence& a, const Occurrence& b) { return *a.occurrence < *b.occurrence; });
  found.erase(std::unique(found.begin(), found.end(),
                          [](const Occurrence& a, const Occurrence& b) {
                            return a.occurrence == b.occurrence;
                          }),
              found.end());
  return found;
}

std::optional<Occurrence> firstOccurrence(const ItemRecord& event) {
  if (!event.main.start) return std::nullopt;
  if (!repeats(event)) {
    const Date start = event.main.start->instant;
    return Occurrence{std::nullopt, start, endOf(event.main, start), &event.main, false};
  }
  std::optional<Date> first;
  auto consider = [&](Date d) {
    if (!excluded(event, d) && (!first || d < *first)) first = d;
  };
  consider(event.main.start->instant);
  for (const ExtraDate& rdate : event.main.rdates) consider(rdate.start.instant);
  // Rule dates ascend: the first one not excluded is the only candidate.
  forEachRuleDate(event, foundation::distantPast(), first.value_or(foundation::distantFuture()),
                  [&](Date d) {
                    if (excluded(event, d)) return true;
                    consider(d);
                    return false;
                  });
  if (!first) return std::nullopt;
  return occurrenceOf(event, *first);
}

int ruleInstancesBefore(const ItemRecord& event, Date original) {
  if (!event.main.start || !event.main.rrule) return 0;
  int count = event.main.start->instant < original ? 1 : 0;
  forEachRuleDate(event, foundation::distantPast(), original, [&](Date) {
    ++count;
    return true;
  });
  return count;
}

bool isOriginal(const ItemRecord& event, Date original) {
  bool generated = false;
  forEachOriginal(event, original, original + seconds{1}, [&](Date) {
    generated = true;
    return false;
  });
  return generated;
}

std::optional<Occurrence> occurrenceAt(const ItemRecord& event, Date original) {
  if (!repeats(event) || excluded(event, original)) return std::nullopt;
  if (!overrideOf(event, original) && !isOriginal(event, original)) return std::nullopt;
  return occurrenceOf(event, original);
}

}  // namespace calendarstore
