#!/usr/bin/python3
"""Seeded random edits of repeating events, checked three ways.

Each sequence writes one repeating event as another calendar program would
(zoned, floating, UTC or all-day; daily, weekly on two days or monthly;
with a count, an end date or no end; with an extra date, an exclusion and
changed occurrences), then makes a handful of random edits through the built
zylo-host: move, retitle or remove one occurrence, the future ones or all,
make the series single again, or move it to another calendar. After every
edit three lists of occurrences must agree:
  (a) a model of what the user should see, kept here from the edits alone,
  (b) what Zylo fetches,
  (c) what python3-recurring-ical-events reads in the files Zylo wrote.

usage: series_edit_differential.py ZYLO_HOST [--sequences N] [--seed S] [--edits N]
"""

import argparse
import dataclasses
import datetime
import pathlib
import random
import sys
import tempfile
import zoneinfo

import icalendar
import recurring_ical_events

import zylo_host

BERLIN = zoneinfo.ZoneInfo("Europe/Berlin")
NEW_YORK = zoneinfo.ZoneInfo("America/New_York")
UTC = datetime.timezone.utc
WINDOW = (datetime.datetime(2027, 3, 1, tzinfo=BERLIN), datetime.datetime(2028, 3, 1, tzinfo=BERLIN))
HORIZON = (WINDOW[0] - datetime.timedelta(days=150), WINDOW[1] + datetime.timedelta(days=150))
CALENDARS = {"home": "Home", "work": "Work"}
DAY = datetime.timedelta(days=1)
WEEKDAYS = ["MO", "TU", "WE", "TH", "FR", "SA", "SU"]


# --- Times -------------------------------------------------------------------

def wall(at, zone):
    return at.astimezone(zone).replace(tzinfo=None)


def from_wall(naive, zone):
    # fold=0: a time in a gap takes the offset before it, a repeated time is
    # the first of the two.
    return naive.replace(tzinfo=zone, fold=0).astimezone(UTC)


def shifted(at, zone, delta):
    return from_wall(wall(at, zone) + delta, zone)


def stamp(at):
    local = wall(at, BERLIN)
    return (f"Timestamp ( Date ( {local.month} ; {local.day} ; {local.year} ) ; "
            f"Time ( {local.hour} ; {local.minute} ; {local.second} ) )")


def quoted(text):
    return '"' + text.replace('"', '""') + '"'


def instant(value):
    """An iCalendar value as an instant: floating times and dates in Berlin."""
    if isinstance(value, datetime.datetime):
        return from_wall(value, BERLIN) if value.tzinfo is None else value.astimezone(UTC)
    return from_wall(datetime.datetime.combine(value, datetime.time()), BERLIN)


def ical_time(at, kind, zone):
    if kind.all_day:
        return ";VALUE=DATE:" + wall(at, zone).strftime("%Y%m%d")
    if kind.name == "utc":
        return ":" + at.astimezone(UTC).strftime("%Y%m%dT%H%M%SZ")
    if kind.name == "floating":
        return ":" + wall(at, zone).strftime("%Y%m%dT%H%M%S")
    return f";TZID={zone.key}:" + wall(at, zone).strftime("%Y%m%dT%H%M%S")


# --- The series a sequence starts from ---------------------------------------

@dataclasses.dataclass
class Kind:
    name: str
    zone: object
    all_day: bool = False


KINDS = [Kind("berlin", BERLIN), Kind("new_york", NEW_YORK), Kind("floating", BERLIN),
         Kind("utc", UTC), Kind("all_day", BERLIN, all_day=True)]


def first_start(rng, kind):
    # Near the spring or autumn clock changes of both zones, or in summer.
    day = rng.choice([datetime.date(2027, 3, 8), datetime.date(2027, 3, 22),
                      datetime.date(2027, 10, 25), datetime.date(2027, 6, 7)])
    day += rng.randrange(7) * DAY
    hour = 0 if kind.all_day else rng.randrange(8, 19)
    return from_wall(datetime.datetime.combine(day, datetime.time(hour)), kind.zone)


def series_file(rng, uid, kind):
    """The text of one item file and a description of it."""
    start = first_start(rng, kind)
    zone = kind.zone
    length = DAY if kind.all_day else datetime.timedelta(minutes=rng.choice([30, 60, 90]))
    local = wall(start, zone)
    shape = rng.choice(["daily", "every_other_day", "weekly", "weekly_endless", "monthly"])
    if shape == "daily":
        rule = f"FREQ=DAILY;COUNT={rng.randrange(8, 20)}"
    elif shape == "every_other_day":
        # Between two instances: an UNTIL on an instance across a clock change
        # is read one hour off by the reader this test compares with.
        until = shifted(start, zone, 20 * DAY + (datetime.timedelta() if kind.all_day else datetime.timedelta(hours=1)))
        until_text = ical_time(until, kind, zone).split(":")[-1]
        if kind.name in ("berlin", "new_york"):
            until_text = until.astimezone(UTC).strftime("%Y%m%dT%H%M%SZ")
        rule = f"FREQ=DAILY;INTERVAL=2;UNTIL={until_text}"
    elif shape in ("weekly", "weekly_endless"):
        other = (local.weekday() + rng.choice([2, 3])) % 7
        days = ",".join(WEEKDAYS[d] for d in sorted({local.weekday(), other}))
        rule = f"FREQ=WEEKLY;BYDAY={days}" + (";COUNT=10" if shape == "weekly" else "")
    else:
        start = shifted(start, zone, (rng.randrange(8, 20) - local.day) * DAY)
        local = wall(start, zone)
        rule = f"FREQ=MONTHLY;BYMONTHDAY={local.day};COUNT={rng.randrange(5, 9)}"
    lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Another Program//EN", "BEGIN:VEVENT",
             f"UID:{uid}", "DTSTAMP:20270101T000000Z", "DTSTART" + ical_time(start, kind, zone),
             "DTEND" + ical_time(shifted(start, zone, length), kind, zone),
             f"RRULE:{rule}", f"SUMMARY:Series {uid}"]
    instances = [start]
    for n in range(1, 4):
        if shape == "monthly":
            month = local.month + n
            later = local.replace(year=local.year + (month - 1) // 12, month=(month - 1) % 12 + 1)
            instances.append(from_wall(later, zone))
        else:
            step = DAY if shape == "daily" else 2 * DAY
            instances.append(shifted(instances[-1], zone, step))
    extra = None
    if rng.random() < 0.5:
        # An extra date on a day without an instance (the reader this test
        # compares with keeps only one occurrence a day when both carry a
        # SEQUENCE), at another hour.
        days = -2 if shape == "daily" else 1
        hours = datetime.timedelta() if kind.all_day else datetime.timedelta(hours=-3)
        extra = shifted(start, zone, DAY * days + hours)
        lines.append("RDATE" + ical_time(extra, kind, zone))
    if rng.random() < 0.5 and shape not in ("weekly", "weekly_endless"):
        lines.append("EXDATE" + ical_time(instances[3], kind, zone))
    lines.append("END:VEVENT")
    if rng.random() < 0.6 and shape not in ("weekly", "weekly_endless"):
        moved = rng.random() < 0.5 and not kind.all_day
        at = shifted(instances[2], zone, datetime.timedelta(hours=2) if moved else datetime.timedelta())
        lines += ["BEGIN:VEVENT", f"UID:{uid}", "DTSTAMP:20270101T000000Z",
                  "RECURRENCE-ID" + ical_time(instances[2], kind, zone),
                  "DTSTART" + ical_time(at, kind, zone),
                  "DTEND" + ical_time(shifted(at, zone, length), kind, zone),
                  f"SUMMARY:{'Moved' if moved else 'Renamed'} {uid}", "END:VEVENT"]
    lines.append("END:VCALENDAR")
    return "\r\n".join(lines) + "\r\n", f"{kind.name} {shape} {rule}" + (" +RDATE" if extra else "")


# --- What other programs read -------------------------------------------------

def written_occurrences(root, window):
    found = []
    for folder, title in CALENDARS.items():
        for path in sorted((root / folder).glob("*.ics")):
            calendar = icalendar.Calendar.from_ical(path.read_bytes())
            low, high = (wall(window[0], BERLIN) - 2 * DAY, wall(window[1], BERLIN) + 2 * DAY)
            for e in recurring_ical_events.of(calendar).between(low, high):
                start = instant(e["DTSTART"].dt)
                end = instant(e["DTEND"].dt) if "DTEND" in e else start
                if window[0] <= start < window[1]:
                    found.append((title, start, end, str(e.get("SUMMARY", ""))))
    return sorted(found)


# --- The model -----------------------------------------------------------------

@dataclasses.dataclass
class Occurrence:
    series: int
    original: datetime.datetime
    start: datetime.datetime
    end: datetime.datetime
    title: str
    extra_date: bool = False  # an RDATE: not a rule instance


@dataclasses.dataclass
class Series:
    uid: str
    zone: object
    all_day: bool
    title: str
    calendar: str
    length: datetime.timedelta
    single: bool = False


class Model:
    def __init__(self):
        self.series = {}
        self.occurrences = []

    def members(self, sid):
        return sorted((o for o in self.occurrences if o.series == sid), key=lambda o: o.original)

    def own_time(self, o):
        s = self.series[o.series]
        return o.start != o.original or wall(o.end, s.zone) - wall(o.start, s.zone) != s.length

    def seen(self, window):
        return sorted((self.series[o.series].calendar, o.start, o.end, o.title)
                      for o in self.occurrences if window[0] <= o.start < window[1])

    def reach(self, k, span):
        """The occurrences an edit of `k` with `span` reaches, and whether it splits."""
        members = self.members(k.series)
        if span == "this":
            return [k], False
        if span == "future" and members[0] is not k:
            return [o for o in members if o.original >= k.original], True
        return members, False

    def settle(self, sid):
        """A series left with one extra date and no rule instance is a single
        event."""
        members = self.members(sid)
        if len(members) == 1 and members[0].extra_date:
            self.series[sid].single = True

    def split_off(self, targets, uid):
        old_sid = targets[0].series
        old = self.series[old_sid]
        sid = max(self.series) + 1
        self.series[sid] = dataclasses.replace(old, uid=uid)
        for o in targets:
            o.series = sid
        self.settle(old_sid)
        return sid

    def move(self, k, span, start, end, new_uid):
        s = self.series[k.series]
        if span == "this":
            k.start, k.end = start, end
            return
        targets, splits = self.reach(k, span)
        start_shift = wall(start, s.zone) - wall(k.start, s.zone)
        end_shift = wall(end, s.zone) - wall(k.end, s.zone)
        own = {id(o) for o in targets if self.own_time(o)}
        for o in targets:
            o.original = shifted(o.original, s.zone, start_shift)
            if o is k:
                o.start, o.end = start, end
            elif id(o) not in own:
                o.start = shifted(o.start, s.zone, start_shift)
                o.end = shifted(o.end, s.zone, end_shift)
        sid = self.split_off(targets, new_uid) if splits else k.series
        self.series[sid].length += end_shift - start_shift

    def retitle(self, k, span, title, new_uid):
        if span == "this":
            k.title = title
            return
        targets, splits = self.reach(k, span)
        old = self.series[k.series].title
        for o in targets:
            if o is k or o.title == old:
                o.title = title
        sid = self.split_off(targets, new_uid) if splits else k.series
        self.series[sid].title = title

    def remove(self, k, span):
        targets, _ = self.reach(k, span)
        self.occurrences = [o for o in self.occurrences if all(o is not t for t in targets)]
        if span == "future":
            self.settle(k.series)

    def make_single(self, k, span, new_uid):
        targets, splits = self.reach(k, span)
        self.occurrences = [o for o in self.occurrences if o is k or all(o is not t for t in targets)]
        sid = self.split_off([k], new_uid) if splits else k.series
        self.series[sid].single = True
        k.original = k.start

    def move_calendar(self, k, span, calendar, new_uid):
        targets, splits = self.reach(k, span)
        sid = self.split_off(targets, new_uid) if splits else k.series
        self.series[sid].calendar = calendar


# --- Zylo --------------------------------------------------------------------

class Host(zylo_host.Host):

    def fetched(self, window):
        fetch = f'Zylo_EventsFetch ( {stamp(window[0] - 2 * DAY)} ; {stamp(window[1])} ; "all" ; "" )'
        count = int(self.values(fetch, 'Zylo_GetItemCountForType ( "event" )')[1])
        calls = [fetch]
        for i in range(1, count + 1):
            calls += [f'Zylo_OpenItemAt ( "event" ; {i} )'] + [
                f'Zylo_GetProperty ( "event" ; "{p}" )' for p in ("calendartitle", "startdate", "enddate", "title")]
        values = self.values(*calls)[1:]
        found = []
        for i in range(count):
            _, calendar, start, end, title = values[5 * i:5 * i + 5]
            start = from_wall(datetime.datetime.fromisoformat(start), BERLIN)
            end = from_wall(datetime.datetime.fromisoformat(end), BERLIN)
            if window[0] <= start < window[1]:
                found.append((calendar, start, end, title))
        return sorted(found)


# --- Sequences -----------------------------------------------------------------

class Sequence:
    def __init__(self, rng, host, number):
        self.rng, self.host, self.number = rng, host, number
        self.model = Model()
        self.log = []
        kind = rng.choice(KINDS)
        uid = f"s{number}"
        text, described = series_file(rng, uid, kind)
        (host.calendars / "home" / f"{uid}.ics").write_text(text, newline="")
        self.log.append(f"series {described}")
        self.load(uid, kind, text)

    def load(self, uid, kind, text):
        calendar = icalendar.Calendar.from_ical(text)
        main = next(c for c in calendar.walk("VEVENT") if "RECURRENCE-ID" not in c)
        length = wall(instant(main["DTEND"].dt), kind.zone) - wall(instant(main["DTSTART"].dt), kind.zone)
        self.model.series[0] = Series(uid, kind.zone, kind.all_day, str(main["SUMMARY"]), "Home",
                                      length)
        extra = {instant(d.dt) for rdate in ([main["RDATE"]] if "RDATE" in main else [])
                 for d in rdate.dts}
        for e in recurring_ical_events.of(calendar).between(HORIZON[0].replace(tzinfo=None),
                                                            HORIZON[1].replace(tzinfo=None)):
            original = instant(e["RECURRENCE-ID"].dt) if "RECURRENCE-ID" in e else instant(e["DTSTART"].dt)
            self.model.occurrences.append(Occurrence(
                0, original, instant(e["DTSTART"].dt), instant(e["DTEND"].dt), str(e["SUMMARY"]),
                extra_date=original in extra))

    def pick(self):
        choices = [o for o in self.model.occurrences if not self.model.series[o.series].single
                   and WINDOW[0] + 20 * DAY <= o.start < WINDOW[1] - 20 * DAY]
        return self.rng.choice(choices) if choices else None

    def opened(self, k):
        s = self.model.series[k.series]
        return f'Zylo_OpenItemWithUID ( "event" ; {quoted(s.uid)} ; {stamp(k.original)} )'

    def save(self, k, span, *changes, expect_refusal=False):
        results = self.host.values(self.opened(k), *changes, f'Zylo_SaveItem ( "event" ; "{span}" )',
                                 'Zylo_GetLastError ( "number" )', 'Zylo_GetProperty ( "event" ; "uid" )')
        code = results[-2]
        if expect_refusal:
            assert code == "9998", f"expected a refusal, got {code}"
        else:
            assert results[:-2] == ["0"] * (len(results) - 2), f"calls answered {results}"
        return results[-1]

    def new_times(self, k, s):
        """A random move of `k`, kept out of the night hours in which clocks
        change: a wall time there may be read otherwise by the reader this
        test compares with."""
        while True:
            days = self.rng.choice([-1, 1, 2, -2]) if s.all_day else self.rng.choice([0, 0, 1, -1, 2])
            hours = 0 if s.all_day else self.rng.choice([1, -1, 2, -3, 3])
            if s.all_day:
                longer = DAY if self.rng.random() < 0.3 else datetime.timedelta()
            else:
                longer = datetime.timedelta(minutes=self.rng.choice([0, 0, 30, -15]))
            if "monthly" in self.log[0] and abs(days) > 1:
                days = 1
            delta = datetime.timedelta(days=days, hours=hours)
            start = shifted(k.start, BERLIN, delta)
            end = shifted(k.end, BERLIN, delta + longer)
            moved = [t + delta for o in self.model.members(k.series) for t in (o.start, o.end)]
            night = any(1 <= wall(t, z).hour < 4 for t in moved + [end + longer] for z in (BERLIN, s.zone))
            too_short = min(end - start, s.length + longer) < datetime.timedelta(minutes=15)
            if (s.all_day or not night) and not too_short:
                return start, end, delta, longer

    def edit(self):
        k = self.pick()
        if k is None:
            return False
        s = self.model.series[k.series]
        split_allowed = not k.extra_date
        spans = ["this", "all"] + (["future"] if split_allowed else [])
        span = self.rng.choice(spans)
        op = self.rng.choice(["move", "move", "retitle", "remove", "single", "calendar"])
        what = f"{op} {span} of the occurrence at {wall(k.original, s.zone)}"
        if op == "move":
            start, end, delta, longer = self.new_times(k, s)
            what += f" by {delta} (end {delta + longer})"
            uid = self.save(k, span, f'Zylo_SetProperty ( "event" ; "startdate" ; {stamp(start)} )',
                            f'Zylo_SetProperty ( "event" ; "enddate" ; {stamp(end)} )')
            self.model.move(k, span, start, end, uid)
        elif op == "retitle":
            title = f"Title {self.number}.{len(self.log)}"
            what += f" to {title}"
            uid = self.save(k, span, f'Zylo_SetProperty ( "event" ; "title" ; {quoted(title)} )')
            self.model.retitle(k, span, title, uid)
        elif op == "remove":
            results = self.host.values(f'Zylo_RemoveItem ( "event" ; {quoted(s.uid)} ; {stamp(k.original)} ; "{span}" )')
            assert results == ["0"], f"removal answered {results}"
            self.model.remove(k, span)
        elif op == "single":
            if span == "this":
                span = "all"
            what = f"single {span} at {wall(k.original, s.zone)}"
            uid = self.save(k, span, "Zylo_RemoveRecurrence")
            self.model.make_single(k, span, uid)
        else:
            calendar = "Work" if s.calendar == "Home" else "Home"
            what += f" to {calendar}"
            change = f'Zylo_SetProperty ( "event" ; "calendartitle" ; "{calendar}" )'
            if span == "this":
                self.save(k, span, change, expect_refusal=True)
            else:
                uid = self.save(k, span, change)
                self.model.move_calendar(k, span, calendar, uid)
        self.log.append(what)
        return True

    def check(self):
        want = self.model.seen(WINDOW)
        got = self.host.fetched(WINDOW)
        files = written_occurrences(self.host.calendars, WINDOW)
        for name, other in (("Zylo's fetch", got), ("the files, as recurring-ical-events reads them", files)):
            if other != want:
                missing = [o for o in want if o not in other]
                extra = [o for o in other if o not in want]
                raise AssertionError(f"{name} differs from the model:\n  missing {show(missing)}\n"
                                     f"  extra   {show(extra)}")


def show(occurrences):
    return [f"{c} {wall(s, BERLIN)}-{wall(e, BERLIN).time()} {t}" for c, s, e, t in occurrences[:6]]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("host")
    parser.add_argument("--sequences", type=int, default=150)
    parser.add_argument("--edits", type=int, default=4)
    parser.add_argument("--seed", type=int, default=20270301)
    args = parser.parse_args()
    failures = 0
    for number in range(args.sequences):
        rng = random.Random(args.seed * 100003 + number)
        with tempfile.TemporaryDirectory(prefix="zylo-series-") as folder:
            root = pathlib.Path(folder)
            for name, title in CALENDARS.items():
                (root / name).mkdir()
                (root / name / "displayname").write_text(title)
            sequence = Sequence(rng, Host(args.host, root), number)
            try:
                sequence.check()
                for _ in range(args.edits):
                    if not sequence.edit():
                        break
                    sequence.check()
            except AssertionError as e:
                failures += 1
                print(f"FAIL sequence {number} (seed {args.seed}):\n    " + "\n    ".join(sequence.log))
                print(f"  {e}")
    print(f"{args.sequences - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
