#include "platform/calendarstore/occurrence_expander.h"

#include <algorithm>
#include <functional>

#include "calendar/calendar_store.h"
#include "platform/calendarstore/rule_expansion.h"
#include "platform/foundation/civil_days.h"

namespace calendarstore {
namespace {

using foundation::Date;
using std::chrono::seconds;

// The most occurrences one fetch answers for one event: a rule of seconds
// over years would otherwise fill the host's memory. Beyond it the fetch
// fails and says so.
constexpr size_t kMaxOccurrences = 100000;

// The span of an occurrence starting at `start` with the component's length.
// Whole days are counted on the calendar (the same wall time so many days
// later), so that a day stays a day across a daylight-saving change; the
// hours and less of a timed event's length are exact.
Date endOf(const ComponentRecord& c, Date start) {
  if (!c.start || c.durationDays == 0) return start + seconds{c.durationSeconds};
  const foundation::TimeZone& zone = *c.start->zone;
  const foundation::LocalDateTime l = c.start->isDate ? foundation::splitAsStartOfDay(start, zone)
                                                      : foundation::splitGregorian(start, zone);
  const auto civil = foundation::civilFromDays(foundation::daysFromCivil(l.year, l.month, l.day) + c.durationDays);
  const Date sameWallTime =
      zone.dateFromLocal({static_cast<int>(civil.year), civil.month, civil.day, l.hour, l.minute, l.second});
  if (c.start->isDate) return sameWallTime;
  return sameWallTime + seconds{c.durationSeconds - int64_t{c.durationDays} * 86400};
}

// Every RRULE of the event that yields anything.
std::vector<RuleExpansion> rulesOf(const ItemRecord& event) {
  std::vector<RuleExpansion> rules;
  if (!event.main.rrule) return rules;
  auto add = [&](const std::string& text) {
    if (auto rule = RuleExpansion::read(text, *event.main.start)) rules.push_back(std::move(*rule));
  };
  add(*event.main.rrule);
  for (const std::string& text : event.main.moreRrules) add(text);
  return rules;
}

// Calls `visit` with each date the rules yield together in [from, to),
// ascending and each once, until `visit` answers false. The event's own
// start is not among them. The range is taken in growing pieces, so that a
// visitor that stops early does not pay for the rest.
void forEachRuleDate(const ItemRecord& event, Date from, Date to,
                     const std::function<bool(Date)>& visit) {
  std::vector<RuleExpansion> rules = rulesOf(event);
  if (rules.empty()) return;
  Date at = std::max(from, event.main.start->instant);
  seconds piece = std::chrono::days{366};
  std::vector<Date> dates;
  while (at < to) {
    Date end = to - at > piece ? at + piece : to;
    dates.clear();
    for (RuleExpansion& rule : rules) {
      // A rule that fills its share ends the piece at its last date.
      size_t taken = 0;
      rule.forEach(at, end, [&](Date d) {
        dates.push_back(d);
        return ++taken < kMaxOccurrences + 2;
      });
      if (taken == kMaxOccurrences + 2) end = std::min(end, dates.back());
    }
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    for (Date d : dates) {
      if (d >= end) break;
      if (!visit(d)) return;
    }
    at = end;
    piece *= 2;
  }
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

foundation::String tooManyOccurrences(const ItemRecord& event) {
  return foundation::fromUtf8("The range holds more than 100,000 occurrences of the event \u201c") +
         event.main.title.value_or(foundation::String{}) +
         foundation::fromUtf8("\u201d; fetch a shorter range.");
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
  // A range that surely holds too many is refused before any is made: the
  // dates a rule surely yields inside it, less every exception.
  if (event.main.exdateDays.empty()) {
    const auto spared = static_cast<int64_t>(event.main.exdates.size() + event.overrides.size());
    for (RuleExpansion& rule : rulesOf(event)) {
      if (rule.countWithin(from, to) - spared > static_cast<int64_t>(kMaxOccurrences)) {
        throw zylo::CalendarStoreException(tooManyOccurrences(event));
      }
    }
  }
  // An all-day occurrence's days may be an hour longer than its seconds.
  const Date earliest = from - before - (event.main.start->isDate ? seconds{86400} : seconds{0});
  forEachOriginal(event, earliest, to + after, [&](Date original) {
    if (!excluded(event, original) && !overrideOf(event, original)) {
      Occurrence o = occurrenceOf(event, original);
      if (overlaps(o, from, to)) found.push_back(o);
      if (found.size() > kMaxOccurrences) throw zylo::CalendarStoreException(tooManyOccurrences(event));
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
  auto rule = RuleExpansion::read(*event.main.rrule, *event.main.start);
  if (!rule) return event.main.start->instant < original ? 1 : 0;
  return static_cast<int>(std::min<int64_t>(rule->countBefore(original), INT32_MAX));
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
