#!/usr/bin/env python3
"""Seeded random RRULEs, expanded by the built zylo-host and by
recurring-ical-events, compared start for start.

Each rule is an item file of its own in one calendar folder; zylo-host
fetches a window of it (in UTC, so the starts it answers are instants) and
the occurrences starting in the window must be the oracle's, as a set of
instants.

Where the oracle departs from RFC 5545 the generator keeps out of its way:
- COUNT: the oracle counts DTSTART on top of COUNT when DTSTART does not
  match the rule, where "the DTSTART property value always counts as the
  first occurrence"; a counted rule here starts on one of its own dates.
- A zone's gap can carry two dates onto one instant (Pacific/Apia skipped
  2011-12-30); the oracle lists both, Zylo the instant once: sets compare.
- A wall time repeated by a change of offset is its first occurrence in the
  RFC, the later one in the oracle: starts in such an hour are left out.
- The oracle's zones keep no daylight saving time after 2037: windows end
  before 2038.
- A weekly rule's BYSETPOS picks within weeks that begin on WKST; the
  oracle's first week begins at DTSTART: such a rule starts on WKST here.
- UNTIL is an instant; the oracle reads it with DTSTART's offset (a day off
  in Pacific/Apia across 2011, an hour across a DST change): starts within
  a day before UNTIL are left out.
- A negative week number counts from the end of the year the week belongs
  to (week -52 of a 52-week year is its week 1, though it begin in December);
  the oracle reads it only within the calendar year: BYWEEKNO stays above -41.
- Hours, minutes and seconds mean nothing to a rule of dates; the oracle
  multiplies the dates by them (and so counts them into COUNT and BYSETPOS):
  an all-day rule here has none.

usage: rule_expansion_oracle_check.py ZYLO_HOST [--rules N] [--seed S]
"""

import argparse
import datetime
import pathlib
import random
import signal
import sys
import tempfile
import zoneinfo

import icalendar
import recurring_ical_events

import zylo_host

UTC = datetime.timezone.utc
ZONES = ["UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Pacific/Apia"]
FREQS = ["SECONDLY", "MINUTELY", "HOURLY", "DAILY", "WEEKLY", "MONTHLY", "YEARLY"]
WEEKDAYS = ["MO", "TU", "WE", "TH", "FR", "SA", "SU"]
# How far a window reaches, by frequency: enough for a few hundred dates.
SPANS = {"SECONDLY": datetime.timedelta(minutes=20), "MINUTELY": datetime.timedelta(hours=12),
         "HOURLY": datetime.timedelta(days=20), "DAILY": datetime.timedelta(days=400),
         "WEEKLY": datetime.timedelta(days=1500), "MONTHLY": datetime.timedelta(days=3000),
         "YEARLY": datetime.timedelta(days=3650)}
MOST = 300  # starts compared per rule
# The oracle's zones (pytz) know no change of offset after 2037.
LAST = datetime.datetime(2037, 12, 1, tzinfo=UTC)


def pick(rng, values, most):
    return sorted(set(rng.choice(values) for _ in range(rng.randint(1, most))))


def joined(values):
    return ",".join(str(v) for v in values)


def random_rule(rng, freq, all_day):
    parts = [f"FREQ={freq}"]
    if rng.random() < 0.3:
        parts.append(f"INTERVAL={rng.choice([2, 3, 5, 7, 13, 29, 97, 7919])}")
    sub_daily = freq in ("SECONDLY", "MINUTELY", "HOURLY")
    if rng.random() < 0.3:
        parts.append("BYMONTH=" + joined(pick(rng, range(1, 13), 4)))
    if freq != "WEEKLY" and rng.random() < 0.25:
        parts.append("BYMONTHDAY=" + joined(pick(rng, [d for d in range(-31, 32) if d], 3)))
    if freq in ("YEARLY",) or (sub_daily and rng.random() < 0.3):
        if rng.random() < 0.2:
            parts.append("BYYEARDAY=" + joined(pick(rng, [d for d in range(-366, 367) if d], 3)))
    week_numbers = freq == "YEARLY" and rng.random() < 0.2
    if week_numbers:
        parts.append("BYWEEKNO=" + joined(pick(rng, [d for d in range(-40, 54) if d], 3)))
    if rng.random() < 0.4:
        numbered = freq in ("MONTHLY", "YEARLY") and not week_numbers and rng.random() < 0.5
        days = pick(rng, WEEKDAYS, 3)
        if numbered:
            days = [f"{rng.choice([1, 2, 3, 4, -1, -2, 5, -5])}{d}" for d in days]
        parts.append("BYDAY=" + ",".join(days))
    if not all_day and (freq != "SECONDLY" or rng.random() < 0.5):
        if rng.random() < (0.3 if freq in ("HOURLY", "MINUTELY", "SECONDLY") else 0.15):
            parts.append("BYHOUR=" + joined(pick(rng, range(24), 4)))
        if rng.random() < 0.15:
            parts.append("BYMINUTE=" + joined(pick(rng, range(60), 3)))
        if rng.random() < 0.1:
            parts.append("BYSECOND=" + joined(pick(rng, range(60), 3)))
    if rng.random() < 0.15:
        parts.append("BYSETPOS=" + joined(pick(rng, [1, 2, 3, -1, -2], 2)))
    if rng.random() < 0.2:
        parts.append("WKST=" + rng.choice(WEEKDAYS))
    return parts


def ends_in_repeated_hour(at, zone):
    """Whether `at`'s wall time in `zone` names two instants."""
    naive = at.astimezone(zone).replace(tzinfo=None)
    return naive.replace(tzinfo=zone, fold=0).utcoffset() != naive.replace(tzinfo=zone, fold=1).utcoffset()


class Case:
    def __init__(self, rng, number):
        self.uid = f"rule-{number}"
        self.freq = rng.choice(FREQS)
        self.all_day = self.freq in ("DAILY", "WEEKLY", "MONTHLY", "YEARLY") and rng.random() < 0.2
        # A date has no zone: both sides read it in the host's, UTC.
        self.zone_name = "UTC" if self.all_day else rng.choice(ZONES)
        self.zone = zoneinfo.ZoneInfo(self.zone_name)
        year = rng.choice([2011, 2019, 2024, 2026, 2029])
        start = datetime.datetime(year, rng.randint(1, 12), rng.randint(1, 28),
                                  rng.randint(0, 23), rng.choice([0, 15, 30, 59]), rng.choice([0, 0, 30]))
        if self.all_day:
            start = start.replace(hour=0, minute=0, second=0)
        self.parts = random_rule(rng, self.freq, self.all_day)
        self.until = None
        if self.freq == "WEEKLY" and any(p.startswith("BYSETPOS") for p in self.parts):
            # The oracle's first week runs from the start, not from WKST.
            week_start = next((WEEKDAYS.index(p[5:]) for p in self.parts if p.startswith("WKST=")), 0)
            start += datetime.timedelta(days=(week_start - start.weekday()) % 7)
        self.start = start
        bounded = rng.random()
        if bounded < 0.3:
            self.parts.append(f"COUNT={rng.randint(1, 60)}")
            self.align_start()
        elif bounded < 0.5:
            until = start + SPANS[self.freq] * rng.random()
            self.parts.append("UNTIL=" + (until.strftime("%Y%m%d") if self.all_day
                                          else until.replace(tzinfo=self.zone).astimezone(UTC)
                                          .strftime("%Y%m%dT%H%M%SZ")))
            if not self.all_day:
                self.until = until.replace(tzinfo=self.zone).astimezone(UTC)
        late = SPANS[self.freq] * (rng.random() * 3 if rng.random() < 0.3 else 0)
        late = datetime.timedelta(seconds=int(late.total_seconds()))
        self.window = (self.instant(start) + late - datetime.timedelta(hours=1),
                       min(self.instant(start) + late + SPANS[self.freq], LAST))

    def align_start(self):
        """Starts the rule on its own first date (see COUNT above)."""
        event = self.event(self.start, [p for p in self.parts if not p.startswith("COUNT")])
        later = recurring_ical_events.of(event).between(self.instant(self.start) + datetime.timedelta(seconds=1),
                                                        self.instant(self.start) + SPANS[self.freq] * 4)
        firsts = sorted(s for s in (self.instant(e["DTSTART"].dt) for e in later) if s > self.instant(self.start))
        if firsts:
            self.start = firsts[0].astimezone(self.zone).replace(tzinfo=None)

    def instant(self, value):
        if isinstance(value, datetime.datetime):
            if value.tzinfo is None:
                return value.replace(tzinfo=self.zone).astimezone(UTC)
            return value.astimezone(UTC)
        return datetime.datetime.combine(value, datetime.time(), self.zone).astimezone(UTC)

    def text(self, start=None, parts=None):
        start = start or self.start
        parts = parts or self.parts
        if self.all_day:
            dtstart = f"DTSTART;VALUE=DATE:{start.strftime('%Y%m%d')}\r\nDURATION:P1D"
        elif self.zone_name == "UTC":
            dtstart = f"DTSTART:{start.strftime('%Y%m%dT%H%M%SZ')}\r\nDURATION:PT1S"
        else:
            dtstart = f"DTSTART;TZID={self.zone_name}:{start.strftime('%Y%m%dT%H%M%S')}\r\nDURATION:PT1S"
        return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//zylo tests//oracle//EN\r\n"
                f"BEGIN:VEVENT\r\nUID:{self.uid}\r\nDTSTAMP:20260101T000000Z\r\n{dtstart}\r\n"
                f"SUMMARY:{self.uid}\r\nRRULE:{';'.join(parts)}\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")

    def event(self, start=None, parts=None):
        return icalendar.Calendar.from_ical(self.text(start, parts))

    def expected(self):
        found = recurring_ical_events.of(self.event()).between(*self.window)
        starts = sorted(set(self.instant(e["DTSTART"].dt) for e in found))
        return [s for s in starts if self.window[0] <= s < self.window[1]]

    def comparable(self, at):
        if self.until and self.until - datetime.timedelta(hours=26) < at <= self.until + datetime.timedelta(seconds=1):
            return False
        return self.all_day or not ends_in_repeated_hour(at, self.zone)


def stamp(at):
    return (f"Timestamp ( Date ( {at.month} ; {at.day} ; {at.year} ) ; "
            f"Time ( {at.hour} ; {at.minute} ; {at.second} ) )")


class Host(zylo_host.Host):

    def starts(self, uid, window):
        fetch = f'Zylo_EventsFetch ( {stamp(window[0])} ; {stamp(window[1])} ; "Rules" ; "{uid}" )'
        answers = self.values(fetch, 'Zylo_GetItemCountForType ( "event" )', 'Zylo_GetLastError ( "text" )')
        if answers[0] != "0":
            raise AssertionError(f"{uid}: the fetch failed: {answers}")
        calls = [fetch]
        for i in range(1, int(answers[1]) + 1):
            calls += [f'Zylo_OpenItemAt ( "event" ; {i} )', 'Zylo_GetProperty ( "event" ; "startdate" )']
        values = self.values(*calls)[2::2]
        starts = sorted(set(datetime.datetime.fromisoformat(v).replace(tzinfo=UTC) for v in values))
        return [s for s in starts if window[0] <= s < window[1]]


def utc(*fields):
    return datetime.datetime(*fields, tzinfo=UTC)


# Rules that once held the store for minutes or answered wrong, with what
# they yield: (lines of the event, window, starts).
REGRESSIONS = [
    ("DTSTART:20260101T090000Z\r\nRRULE:FREQ=HOURLY;INTERVAL=7919;BYHOUR=3",
     (utc(2026, 1, 1), utc(2036, 1, 1)), [utc(2026, 1, 1, 9), utc(2031, 6, 4, 3)]),
    ("DTSTART:20260101T090000Z\r\nRRULE:FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30",
     (utc(2026, 2, 1), utc(2026, 3, 1)), []),
    ("DTSTART:20260101T090000Z\r\nRRULE:FREQ=MINUTELY;BYMONTH=4;BYMONTHDAY=31",
     (utc(2026, 1, 1), utc(2036, 1, 1)), [utc(2026, 1, 1, 9)]),
    ("DTSTART:20260101T090000Z\r\nRRULE:FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30",
     (utc(2027, 2, 1), utc(2027, 3, 1)), []),
    ("DTSTART:19990101T000000Z\r\nRRULE:FREQ=SECONDLY;INTERVAL=900",
     (utc(2026, 5, 1, 10), utc(2026, 5, 1, 11)),
     [utc(2026, 5, 1, 10, 0), utc(2026, 5, 1, 10, 15), utc(2026, 5, 1, 10, 30), utc(2026, 5, 1, 10, 45)]),
    # Every rule counts, each with its own COUNT or UNTIL.
    ("DTSTART:20260105T090000Z\r\nRRULE:FREQ=WEEKLY;COUNT=2\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=1;UNTIL=20260301T090000Z",
     (utc(2026, 1, 1), utc(2027, 1, 1)),
     [utc(2026, 1, 5, 9), utc(2026, 1, 12, 9), utc(2026, 2, 1, 9), utc(2026, 3, 1, 9)]),
    # Apia skipped 30 December 2011: that day's 10:00 is the instant of the 31st's.
    ("DTSTART;TZID=Pacific/Apia:20111228T100000\r\nRRULE:FREQ=DAILY;COUNT=5",
     (utc(2011, 12, 1), utc(2012, 2, 1)),
     [utc(2011, 12, 28, 20), utc(2011, 12, 29, 20), utc(2011, 12, 30, 20), utc(2011, 12, 31, 20)]),
]


def check_regressions(host, root):
    failures = 0
    for number, (lines, window, starts) in enumerate(REGRESSIONS):
        uid = f"regression-{number}"
        (root / "rules" / f"{uid}.ics").write_text(
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//zylo tests//oracle//EN\r\nBEGIN:VEVENT\r\n"
            f"UID:{uid}\r\nDTSTAMP:20260101T000000Z\r\nDURATION:PT1S\r\nSUMMARY:{uid}\r\n{lines}\r\n"
            "END:VEVENT\r\nEND:VCALENDAR\r\n", newline="")
        got = host.starts(uid, window)
        if got != starts:
            failures += 1
            print(f"FAIL {lines!r}: {got[:6]} where {starts}")
    # A one-second event every second: a fetch of two days is refused, and says why.
    (root / "rules" / "ticks.ics").write_text(
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//zylo tests//oracle//EN\r\nBEGIN:VEVENT\r\n"
        "UID:ticks\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20260101T000000Z\r\nDURATION:PT1S\r\n"
        "SUMMARY:Ticks\r\nRRULE:FREQ=SECONDLY\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n", newline="")
    fetch = f'Zylo_EventsFetch ( {stamp(utc(2026, 3, 1))} ; {stamp(utc(2026, 3, 3))} ; "Rules" ; "ticks" )'
    answers = host.values(fetch, 'Zylo_GetItemCountForType ( "event" )', 'Zylo_GetLastError ( "number" )',
                        "Zylo_GetLastError")
    refusal = ["0", "!!ERROR!!", "9999",
               "The range holds more than 100,000 occurrences of the event \u201cTicks\u201d; fetch a shorter range."]
    if answers != refusal:
        failures += 1
        print(f"FAIL a fetch of 172,800 occurrences answered {answers}")
    if len(host.starts("ticks", (utc(2026, 3, 1, 10), utc(2026, 3, 1, 11)))) != 3600:
        failures += 1
        print("FAIL an hour of a rule of seconds does not hold 3,600 occurrences")
    return failures


class OracleTooSlow(Exception):
    pass


def too_slow(signum, frame):
    raise OracleTooSlow()


def main():
    signal.signal(signal.SIGALRM, too_slow)
    parser = argparse.ArgumentParser()
    parser.add_argument("host")
    parser.add_argument("--rules", type=int, default=240)
    parser.add_argument("--seed", type=int, default=5545)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    failures = 0
    with tempfile.TemporaryDirectory(prefix="zylo-rules-") as folder:
        root = pathlib.Path(folder)
        (root / "rules").mkdir()
        (root / "rules" / "displayname").write_text("Rules")
        cases = []
        for number in range(args.rules):
            while True:
                # dateutil refuses a rule whose BYHOUR, BYMINUTE or BYSECOND
                # its interval never reaches, and searches a rare one second
                # by second; such a rule is drawn again.
                signal.alarm(2)
                try:
                    case = Case(rng, number)
                    expected = case.expected()
                    break
                except (ValueError, AssertionError, OracleTooSlow):
                    continue
                finally:
                    signal.alarm(0)
            if len(expected) > MOST:  # a shorter window, ending after the last start compared
                case.window = (case.window[0], expected[MOST - 1] + datetime.timedelta(seconds=1))
                expected = expected[:MOST]
            (root / "rules" / f"{case.uid}.ics").write_text(case.text(), newline="")
            cases.append((case, expected))
        host = Host(args.host, root, "UTC")
        failures += check_regressions(host, root)
        for case, expected in cases:
            got = host.starts(case.uid, case.window)
            want = [s for s in expected if case.comparable(s)]
            got = [s for s in got if case.comparable(s)]
            if got != want:
                failures += 1
                missing = sorted(set(want) - set(got))[:5]
                extra = sorted(set(got) - set(want))[:5]
                print(f"FAIL {case.uid} {case.zone_name} start {case.start}{' (all day)' if case.all_day else ''} "
                      f"RRULE:{';'.join(case.parts)} window {case.window[0]} .. {case.window[1]}: "
                      f"{len(got)} starts, expected {len(want)}; missing {missing}; extra {extra}")
    print(f"{len(cases) - failures} of {len(cases)} rules agree with recurring-ical-events")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
