#!/usr/bin/python3
"""Calendar files as other programs write them, read by Zylo and by an oracle.

Every file of wild_calendars/ (written as CalDAV servers, calendar services,
mail programs, khal and desktop calendars write them) goes into one vdir
calendar. For each default zone, one zylo-host process fetches every range
(a second lists what the fetches hold), and python3-recurring-ical-events
reads each file over the same ranges; each occurrence's title, start, end
and all-day flag must be equal (as wall times of the zone, titles to the
blank). Where the oracle contradicts RFC 5545/5546 (FAULTS below), its
input or answer is put right first, so the test expects the RFC's answer.

usage: wild_calendars_check.py ZYLO_HOST [--only SUBSTRING] [--verbose]
"""

import argparse
import collections
import copy
import dataclasses
import datetime
import os
import pathlib
import shutil
import sys
import tempfile
import time
import zoneinfo

# The oracle turns naive times into instants with the process's zone; it
# must not be the machine's.
os.environ["TZ"] = "UTC"
time.tzset()

import icalendar  # noqa: E402
import pytz  # noqa: E402
import recurring_ical_events  # noqa: E402
from icalendar.prop import vDDDLists, vDDDTypes  # noqa: E402

import zylo_host  # noqa: E402

FILES = pathlib.Path(__file__).resolve().parent / "wild_calendars"
ZONES = ["Europe/Berlin", "America/Los_Angeles", "Pacific/Auckland", "UTC"]
# Wall times of each zone; [start, end).
RANGES = [
    ("March 2026", datetime.datetime(2026, 3, 1), datetime.datetime(2026, 4, 1)),
    ("15 Oct-15 Nov 2026", datetime.datetime(2026, 10, 15), datetime.datetime(2026, 11, 15)),
    ("the year 2026", datetime.datetime(2026, 1, 1), datetime.datetime(2027, 1, 1)),
    ("26 Dec 2011-5 Jan 2012", datetime.datetime(2011, 12, 26), datetime.datetime(2012, 1, 6)),
    ("Jun 2025-May 2032", datetime.datetime(2025, 6, 1), datetime.datetime(2032, 6, 1)),
]
UTC = datetime.timezone.utc
DAY = datetime.timedelta(days=1)
NEVER = datetime.datetime.min.replace(tzinfo=UTC)


@dataclasses.dataclass(frozen=True, order=True)
class Row:
    """One occurrence as the user sees it in a zone."""
    start: str
    end: str
    title: str
    all_day: bool

    def __str__(self):
        kind = "all-day" if self.all_day else "timed"
        return f"{self.start} -> {self.end}  {kind:7}  {self.title!r}"


def wall_text(naive):
    return naive.strftime("%Y-%m-%d %H:%M:%S")


# --- Zylo -------------------------------------------------------------------

def stamp(naive):
    return (f"Timestamp ( Date ( {naive.month} ; {naive.day} ; {naive.year} ) ; "
            f"Time ( {naive.hour} ; {naive.minute} ; {naive.second} ) )")


def fetch_call(window):
    return f'Zylo_EventsFetch ( {stamp(window[1])} ; {stamp(window[2])} ; "Wild" ; "" )'


def zylo_rows(host):
    """{range name: {uid: [Row]}}, or {range name: error text}."""
    answers = host.answers(*[c for w in RANGES for c in (fetch_call(w), 'Zylo_GetItemCountForType ( "event" )')])
    counts = {}
    for i, window in enumerate(RANGES):
        fetched, count = answers[2 * i], answers[2 * i + 1]
        counts[window[0]] = int(count["value"]) if fetched.get("value") == "0" else None
    calls = []
    for window in RANGES:
        calls.append(fetch_call(window))
        for n in range(1, (counts[window[0]] or 0) + 1):
            calls += [f'Zylo_OpenItemAt ( "event" ; {n} )'] + [
                f'Zylo_GetProperty ( "event" ; "{k}" )'
                for k in ("uid", "title", "startdate", "enddate", "isallday")]
    answers = iter(host.answers(*calls))
    found = {w[0]: collections.defaultdict(list) if counts[w[0]] is not None
             else "the fetch failed" for w in RANGES}
    for window in RANGES:
        next(answers)
        for _ in range(counts[window[0]] or 0):
            opened, uid, title, start, end, all_day = (next(answers) for _ in range(6))
            values = [a.get("value", "") for a in (uid, title, start, end, all_day)]
            if opened.get("value") != "0":
                values[1] = f"<not opened: {opened}>"
            found[window[0]][values[0]].append(Row(
                normal_stamp(values[2]), normal_stamp(values[3]), values[1], values[4] == "True"))
    return found


def normal_stamp(text):
    try:
        return wall_text(datetime.datetime.fromisoformat(text))
    except ValueError:
        return text


# --- The oracle and its faults ----------------------------------------------

@dataclasses.dataclass
class Fault:
    case: str
    oracle_yields: str
    rfc: str
    expected: str


FAULTS = {
    "several-rrules": Fault(
        "a master with two distinct RRULEs",
        "ValueError: it reads no occurrence of the file",
        "RFC 5545 3.8.5.3: the recurrence set is the union of all RRULE and RDATE instances, "
        "less EXDATE; duplicates count once",
        "each rule expanded alone (same EXDATE, RDATE and overrides), the union"),
    "rdate-period": Fault(
        "RDATE;VALUE=PERIOD",
        "TypeError comparing a datetime with a (start, end) pair: no occurrence",
        "RFC 5545 3.8.5.2 and 3.3.9: a PERIOD is an instance's start and its own end",
        "the rest of the file expanded, plus one occurrence per period, with the component's "
        "texts"),
    "this-and-future": Fault(
        "RECURRENCE-ID;RANGE=THISANDFUTURE",
        "only the one occurrence changes",
        "RFC 5545 3.2.13 and 3.8.4.4: the override applies to that instance and all later "
        "ones; later instances move by DTSTART less RECURRENCE-ID and take its length and "
        "texts",
        "every later instance of the master moved, lengthened and retitled by the override"),
    "two-masters": Fault(
        "two VEVENTs with one UID and no RECURRENCE-ID",
        "both expanded; a same-day pair only when both carry SEQUENCE",
        "RFC 5546 2.1.4/2.1.5 and RFC 5545 3.8.7.4: the copy with the higher SEQUENCE "
        "supersedes the other, at equal SEQUENCE the later DTSTAMP (the store's LAST-MODIFIED "
        "first)",
        "only the winning copy expanded"),
    "all-day-date-times": Fault(
        "an all-day series with EXDATE, UNTIL or RECURRENCE-ID as date-times",
        "a date-time EXDATE in UTC or another zone compared as an instant: not excluded",
        "RFC 5545 3.8.5.1 and 3.3.10: in a DATE series these values must be DATEs; read "
        "as the calendar date written",
        "each such value replaced by its written calendar date"),
    "until-fixed-offset": Fault(
        "a zoned series whose UTC UNTIL falls in a season with a larger UTC offset than "
        "DTSTART (winter to summer)",
        "instances reckoned with DTSTART's UTC offset against UNTIL: the instance at UNTIL, "
        "an hour later so, is lost",
        "RFC 5545 3.3.10 and 3.3.5: instances are local times of the zone, and UNTIL bounds "
        "them inclusively as instants",
        "UNTIL given to the oracle as its wall time of the zone at DTSTART's offset"),
    "all-day-no-end": Fault(
        "an all-day event with neither DTEND nor DURATION",
        "an occurrence of no length, at midnight",
        "RFC 5545 3.6.1: a DATE DTSTART without DTEND or DURATION lasts one day",
        "DTEND one day after DTSTART"),
    "nominal-duration": Fault(
        "a zoned timed event whose DURATION counts days or weeks, across a clock change",
        "the days added as 24 hours each",
        "RFC 5545 3.3.6 and 3.8.2.5: days and weeks are nominal (the same wall time so many "
        "days later), hours, minutes and seconds exact",
        "each occurrence's end reckoned so from its start"),
    "one-instant": Fault(
        "two rule values at one instant (a daily series over the day Pacific/Apia skipped: "
        "30 December 10:00, read with the offset before the gap, is 31 December 10:00)",
        "both, two occurrences at one instant",
        "RFC 5545 3.8.5.3: the recurrence set is a set of instances, duplicates count once; "
        "RFC 5545 3.8.4.4: RECURRENCE-ID names an instance by its date-time, so two at one "
        "instant could not be told apart",
        "one occurrence at that instant (COUNT still counts both values)"),
    "repeated-time": Fault(
        "an instance at a local time the autumn clock change repeats",
        "the second of the two times (pytz's localize with is_dst=False)",
        "RFC 5545 3.3.5: a repeated local time means its first occurrence",
        "the instance at the first of the two times, its length kept"),
}


def masters(calendar):
    return [c for c in calendar.walk("VEVENT") if "RECURRENCE-ID" not in c]


def as_list(value):
    if value is None:
        return []
    return value if isinstance(value, list) else [value]


def remove_superseded_masters(calendar, applied):
    by_uid = collections.defaultdict(list)
    for event in masters(calendar):
        by_uid[str(event.get("UID"))].append(event)

    def rank(event):
        def stamp_of(key):
            value = event.get(key)
            return value.dt.astimezone(UTC) if value is not None else NEVER
        return (int(event.get("SEQUENCE", 0)), stamp_of("LAST-MODIFIED"), stamp_of("DTSTAMP"))

    for copies in by_uid.values():
        if len(copies) > 1:
            applied.add("two-masters")
            winner = max(copies, key=rank)
            calendar.subcomponents = [c for c in calendar.subcomponents
                                      if c is winner or not any(c is o for o in copies)]


def dates_for_all_day_series(calendar, applied):
    """Date-time EXDATE, UNTIL and RECURRENCE-ID of all-day series, as their written dates."""
    all_day_uids = {str(e.get("UID")) for e in masters(calendar)
                    if not isinstance(e["DTSTART"].dt, datetime.datetime)}

    def day(value):
        return value.date() if isinstance(value, datetime.datetime) else value

    for event in calendar.walk("VEVENT"):
        if str(event.get("UID")) not in all_day_uids:
            continue
        exdates = [d.dt for e in as_list(event.get("EXDATE")) for d in e.dts]
        if any(isinstance(d, datetime.datetime) for d in exdates):
            applied.add("all-day-date-times")
            event["EXDATE"] = vDDDLists([day(d) for d in exdates])
        for rule in as_list(event.get("RRULE")):
            until = rule.get("UNTIL")
            if until and isinstance(until[0], datetime.datetime):
                applied.add("all-day-date-times")
                rule["UNTIL"] = [until[0].date()]
        recurrence_id = event.get("RECURRENCE-ID")
        if recurrence_id is not None and isinstance(recurrence_id.dt, datetime.datetime):
            applied.add("all-day-date-times")
            event["RECURRENCE-ID"] = vDDDTypes(recurrence_id.dt.date())


def until_at_start_offset(calendar, applied):
    """A UTC UNTIL moved to the offset the oracle reckons every instance with."""
    for event in masters(calendar):
        start = event["DTSTART"].dt
        if not isinstance(start, datetime.datetime) or start.tzinfo is None:
            continue
        for rule in as_list(event.get("RRULE")):
            until = rule.get("UNTIL")
            if not until or not isinstance(until[0], datetime.datetime) or until[0].tzinfo is None:
                continue
            local = until[0].astimezone(start.tzinfo)
            local = local.tzinfo.normalize(local) if hasattr(local.tzinfo, "normalize") else local
            if local.utcoffset() > start.utcoffset():
                applied.add("until-fixed-offset")
                wall = local.replace(tzinfo=None)
                rule["UNTIL"] = [(wall - start.utcoffset()).replace(tzinfo=UTC)]


def one_day_for_bare_dates(calendar, applied):
    for event in calendar.walk("VEVENT"):
        start = event["DTSTART"].dt
        if not isinstance(start, datetime.datetime) and "DTEND" not in event \
                and "DURATION" not in event:
            applied.add("all-day-no-end")
            event.add("DTEND", start + DAY)


def nominal_end(found, applied):
    """The end of an occurrence whose event's DURATION counts whole days, as RFC 5545 reckons it."""
    duration = found.event.get("DURATION")
    zone = getattr(found.start, "tzinfo", None)
    if duration is None or not hasattr(zone, "localize") or not duration.dt.days:
        return
    days = datetime.timedelta(days=duration.dt.days)
    end = zone.localize(found.start.replace(tzinfo=None) + days) + (duration.dt - days)
    if end != found.end:
        applied.add("nominal-duration")
        found.end = end


def first_of_repeated(found, applied):
    """An instance the oracle put at the second of two repeated local times, at the first."""
    zone = getattr(found.start, "tzinfo", None)
    if not hasattr(zone, "localize"):
        return
    naive = found.start.replace(tzinfo=None)
    try:
        zone.localize(naive, is_dst=None)
        return
    except pytz.AmbiguousTimeError:
        first = zone.localize(naive, is_dst=True)
    except pytz.NonExistentTimeError:
        return
    if first != found.start:
        applied.add("repeated-time")
        found.end = first + (found.end - found.start)
        found.start = first


def one_per_instant(found, applied):
    """The instances of one run, those at an instant already seen left out."""
    kept, seen = [], set()
    for f in found:
        at = f.start.astimezone(datetime.timezone.utc) if isinstance(f.start, datetime.datetime) \
            and f.start.tzinfo else f.start
        if at in seen:
            applied.add("one-instant")
            continue
        seen.add(at)
        kept.append(f)
    return kept


def take_periods(calendar, applied):
    """Removes PERIOD RDATEs; answers (event, start, end) for each."""
    periods = []
    for event in calendar.walk("VEVENT"):
        kept = []
        for rdate in as_list(event.get("RDATE")):
            values = [d.dt for d in rdate.dts]
            if rdate.params.get("VALUE") == "PERIOD" or any(isinstance(v, tuple) for v in values):
                applied.add("rdate-period")
                for start, end in values:
                    periods.append((event, start, end if isinstance(end, datetime.datetime)
                                    else start + end))
            else:
                kept.append(rdate)
        if "RDATE" in event:
            del event["RDATE"]
            for rdate in kept:
                event.add("RDATE", [d.dt for d in rdate.dts])
    return periods


def split_rules(calendar, applied):
    """One calendar per RRULE of a master that holds several."""
    for index, event in enumerate(calendar.subcomponents):
        rules = as_list(event.get("RRULE")) if event.name == "VEVENT" else []
        if len(rules) > 1 and any(r != rules[0] for r in rules):
            applied.add("several-rrules")
            calendars = []
            for rule in rules:
                single = copy.deepcopy(calendar)
                single.subcomponents[index]["RRULE"] = rule
                calendars += split_rules(single, applied)
            return calendars
    return [calendar]


def this_and_future(calendar, applied):
    """(original start, shift, length, override) of every THISANDFUTURE override with its master."""
    uids = {str(e.get("UID")) for e in masters(calendar)}
    changes = []
    for event in calendar.walk("VEVENT"):
        recurrence_id = event.get("RECURRENCE-ID")
        if recurrence_id is None:
            continue
        if recurrence_id.params.get("RANGE", "").upper() != "THISANDFUTURE":
            continue
        if str(event.get("UID")) in uids:
            applied.add("this-and-future")
            start = event["DTSTART"].dt
            changes.append((recurrence_id.dt, start - recurrence_id.dt,
                            event_end(event) - start, event))
    return changes


def event_end(event):
    if "DTEND" in event:
        return event["DTEND"].dt
    if "DURATION" in event:
        return event["DTSTART"].dt + event["DURATION"].dt
    start = event["DTSTART"].dt
    return start if isinstance(start, datetime.datetime) else start + DAY


def wall_shifted(value, delta):
    """`value` moved by `delta` on the wall clock of its own zone."""
    if not isinstance(value, datetime.datetime) or value.tzinfo is None:
        return value + delta
    naive, zone = value.replace(tzinfo=None) + delta, value.tzinfo
    return zone.localize(naive) if hasattr(zone, "localize") else naive.replace(tzinfo=zone)


def instant(value, zone):
    """An iCalendar value as an instant: floating times and dates in the default zone."""
    if isinstance(value, datetime.datetime):
        if value.tzinfo is None:
            return value.replace(tzinfo=zone, fold=0).astimezone(UTC)
        return value.astimezone(UTC)
    return datetime.datetime.combine(value, datetime.time(), tzinfo=zone).astimezone(UTC)


@dataclasses.dataclass
class Found:
    event: object
    start: object
    end: object

    def later_than(self, original, zone):
        return instant(self.start, zone) > instant(original, zone)


def oracle_rows(path, zone, window, applied):
    calendar = icalendar.Calendar.from_ical(path.read_bytes())
    remove_superseded_masters(calendar, applied)
    dates_for_all_day_series(calendar, applied)
    until_at_start_offset(calendar, applied)
    one_day_for_bare_dates(calendar, applied)
    periods = take_periods(calendar, applied)
    changes = this_and_future(calendar, applied)
    low = datetime.datetime.combine(window[1].date(), datetime.time(), tzinfo=zone) - 2 * DAY
    high = datetime.datetime.combine(window[2].date(), datetime.time(), tzinfo=zone) + 2 * DAY
    # One run per rule; what two runs both yield is one occurrence, and so
    # is what one run yields twice (two values at one instant).
    runs = [one_per_instant([Found(event, event["DTSTART"].dt, event_end(event))
                             for event in recurring_ical_events.of(single).between(low, high)],
                            applied)
            for single in split_rules(calendar, applied)]
    runs.append([Found(event, start, end) for event, start, end in periods])
    for f in (f for run in runs for f in run):
        first_of_repeated(f, applied)
        nominal_end(f, applied)
    for original, shift, length, override in changes:
        for f in (f for run in runs for f in run):
            if "RECURRENCE-ID" not in f.event and f.later_than(original, zone):
                f.event, f.start = override, wall_shifted(f.start, shift)
                f.end = wall_shifted(f.start, length)
    lo, hi = (instant(w.replace(tzinfo=zone, fold=0), zone) for w in window[1:])
    rows = collections.Counter()
    for run in runs:
        rows |= collections.Counter(as_row(f, zone) for f in run if overlaps(f, lo, hi, zone))
    return sorted(rows.elements())


def as_row(found, zone):
    start, end = instant(found.start, zone), instant(found.end, zone)
    return Row(wall_text(start.astimezone(zone).replace(tzinfo=None)),
               wall_text(end.astimezone(zone).replace(tzinfo=None)),
               str(found.event.get("SUMMARY", "")),
               not isinstance(found.start, datetime.datetime))


def overlaps(found, lo, hi, zone):
    """Whether the occurrence overlaps [lo, hi); a zero-length one when it starts there."""
    start, end = instant(found.start, zone), instant(found.end, zone)
    return (lo <= start < hi) if start == end else (start < hi and end > lo)


# --- Comparison ---------------------------------------------------------------

def uid_of(path):
    calendar = icalendar.Calendar.from_ical(path.read_bytes())
    return str(next(c["UID"] for c in calendar.walk() if "UID" in c))


SHOWN = 12  # rows of one kind listed per zone and range


def listed(kind, rows):
    lines = [f"    {kind:8} {r}" for r in rows[:SHOWN]]
    if len(rows) > SHOWN:
        lines.append(f"    ... and {len(rows) - SHOWN} more {kind}")
    return lines


def compare(files, zylo_by_zone, verbose):
    """Prints per file what differs; answers {file name: what differs, in short}."""
    differing = {}
    for path in files:
        uid = uid_of(path)
        applied, lines, count, differs = set(), [], 0, False
        tally = collections.Counter()
        for zone_name, by_range in zylo_by_zone.items():
            zone = zoneinfo.ZoneInfo(zone_name)
            for window in RANGES:
                got = by_range[window[0]]
                try:
                    want = oracle_rows(path, zone, window, applied)
                except Exception as e:  # an oracle fault not in FAULTS yet
                    lines.append(f"  {zone_name}, {window[0]}: the oracle failed: {e!r}")
                    differs = True
                    continue
                if isinstance(got, str):
                    lines.append(f"  {zone_name}, {window[0]}: {got}")
                    differs = True
                    continue
                rows = sorted(got.get(uid, []))
                count += len(want)
                missing = list((collections.Counter(want) - collections.Counter(rows)).elements())
                extra = list((collections.Counter(rows) - collections.Counter(want)).elements())
                if missing or extra:
                    differs = True
                    tally.update(ranges=1, missing=len(missing), extra=len(extra))
                    lines.append(f"  {zone_name}, {window[0]}: "
                                 f"{len(rows)} fetched, {len(want)} expected")
                    lines += listed("missing", sorted(missing))
                    lines += listed("extra", sorted(extra))
                elif verbose and want:
                    lines += [f"  {zone_name}, {window[0]}:"] + [f"    ok       {r}" for r in want]
        faults = f" [oracle put right: {', '.join(sorted(applied))}]" if applied else ""
        if differs:
            differing[path.name] = (f"{tally['ranges']} of {len(zylo_by_zone) * len(RANGES)} "
                                    f"zone ranges differ, {tally['missing']} missing, "
                                    f"{tally['extra']} extra")
        print(f"{'DIFF' if differs else 'ok  '} {path.name}: {count} occurrences over "
              f"{len(zylo_by_zone)} zones x {len(RANGES)} ranges{faults}")
        for line in lines:
            print(line)
    return differing


def stray_rows(files, zylo_by_zone):
    """Prints what Zylo fetched under a UID no file holds; answers whether any."""
    uids = {uid_of(path) for path in files}
    stray = [(zone, name, uid, row) for zone, by_range in zylo_by_zone.items()
             for name, by_uid in by_range.items() if not isinstance(by_uid, str)
             for uid, rows in by_uid.items() if uid not in uids for row in rows]
    for zone, name, uid, row in stray:
        print(f"DIFF {zone}, {name}: fetched under UID {uid!r}, which no file holds: {row}")
    return bool(stray)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("host")
    parser.add_argument("--only", default="", help="files whose name holds this")
    parser.add_argument("--verbose", action="store_true", help="list matching occurrences too")
    args = parser.parse_args()
    files = sorted(p for p in FILES.glob("*.ics") if args.only in p.name)
    print("Oracle faults put right before comparing (case | oracle | RFC | expected):")
    for name, fault in FAULTS.items():
        print(f"  {name}: {fault.case} | {fault.oracle_yields} | {fault.rfc} | {fault.expected}")
    with tempfile.TemporaryDirectory(prefix="zylo-wild-") as folder:
        root = pathlib.Path(folder)
        (root / "wild").mkdir()
        (root / "wild" / "displayname").write_text("Wild")
        for path in files:
            shutil.copyfile(path, root / "wild" / path.name)
        zylo_by_zone = {zone: zylo_rows(zylo_host.Host(args.host, root, zone, root / f".index-{n}"))
                        for n, zone in enumerate(ZONES)}
        differing = compare(files, zylo_by_zone, args.verbose)
        if not args.only and stray_rows(files, zylo_by_zone):
            differing["(occurrences of no file)"] = "see above"
    print(f"{len(files) - len(differing)} of {len(files)} files match")
    for name, what in differing.items():
        print(f"  differs: {name}: {what}")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
