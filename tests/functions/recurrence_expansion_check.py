#!/usr/bin/env python3
"""Repeating events made through the built zylo-host, checked from outside.

For each rule shape a script creates an event, gives it a rule, saves it; a
second run reopens it and reads the rule back; a third fetches it over a
window and lists the occurrences' starts. Those starts must equal an
independent expansion, by dateutil, of the RRULE the store wrote to the
event's file.

usage: recurrence_expansion_check.py ZYLO_HOST
"""

import datetime
import pathlib
import sys
import tempfile
import zoneinfo

from dateutil import rrule

import zylo_host

ZONE_NAME = "Europe/Berlin"
ZONE = zoneinfo.ZoneInfo(ZONE_NAME)


def stamp(dt):
    return (f"Timestamp ( Date ( {dt.month} ; {dt.day} ; {dt.year} ) ; "
            f"Time ( {dt.hour} ; {dt.minute} ; {dt.second} ) )")


def quoted(text):
    return '"' + text.replace('"', '""') + '"'


class Shape:
    """One rule: the arguments of Zylo_AddRecurrence after the frequency, the
    event's start, the window fetched, and what the rule reads back as."""

    def __init__(self, name, start, frequency, interval, dotw="", dotm="", pair="", months="",
                 end=None, count=0, years=1, reads=None):
        self.name = name
        self.start = start
        self.frequency = frequency
        self.interval = interval
        self.dotw, self.dotm, self.pair, self.months = dotw, dotm, pair, months
        self.end = end
        self.count = count
        self.window_end = start.replace(year=start.year + years, day=1, hour=0)
        self.reads = reads or {}

    def add_call(self):
        end = stamp(self.end) if self.end else '""'
        args = [quoted(self.frequency), str(self.interval), quoted(self.dotw), quoted(self.dotm),
                quoted(self.pair), quoted(self.months), end, str(self.count)]
        return "Zylo_AddRecurrence ( " + " ; ".join(args) + " )"


def at10(year, month, day):
    return datetime.datetime(year, month, day, 10, 0, 0)


SHAPES = [
    Shape("daily every third day, ten times", at10(2028, 2, 26), "daily", 3, count=10,
          reads={"recurrencetype": "daily", "recurrenceinterval": "3", "hasend": "True",
                 "end:occurrencecount": "10", "end:usesenddate": "False"}),
    Shape("daily until a date", at10(2028, 3, 20), "DAILY", 1, end=at10(2028, 4, 2),
          reads={"recurrencetype": "daily", "end:usesenddate": "True", "end:occurrencecount": "0"}),
    Shape("daily until a date given as a date: that day included", at10(2028, 3, 20), "daily", 2,
          end=datetime.datetime(2028, 4, 1),
          reads={"recurrencetype": "daily", "end:usesenddate": "True"}),
    Shape("weekly on the start's day, every other week", at10(2028, 1, 4), "Weekly", 2,
          reads={"recurrencetype": "weekly", "recurrenceinterval": "2", "daysoftheweek": "",
                 "hasend": "False", "end:usesenddate": "never"}),
    Shape("weekly on Monday, Wednesday and Friday", at10(2028, 1, 3), "weekly", 1,
          dotw="2¶4¶6", count=40,
          reads={"daysoftheweek": "2\r4\r6", "daysofthemonth": "", "end:occurrencecount": "40"}),
    Shape("monthly on the start's day, the 31st", at10(2028, 1, 31), "monthly", 1,
          reads={"recurrencetype": "monthly", "daysofthemonth": ""}),
    Shape("monthly on the 31st, skipping short months", at10(2028, 1, 31), "monthly", 1,
          dotm="31", reads={"daysofthemonth": "31"}),
    Shape("monthly on the 29th, February of a leap year", at10(2028, 1, 29), "monthly", 1,
          dotm="29", reads={"daysofthemonth": "29"}),
    Shape("monthly on the 1st, the 15th and the last day", at10(2028, 1, 1), "monthly", 1,
          dotm="1¶15¶-1", reads={"daysofthemonth": "1\r15\r-1"}),
    Shape("monthly on the last Friday", at10(2028, 1, 28), "monthly", 1, pair="-1,6",
          reads={"nthweekdaysofthemonth": "-1,6", "daysofthemonth": ""}),
    Shape("monthly on the last weekday pair, a list ignored", at10(2028, 1, 31), "monthly", 1,
          dotm="2", pair="-1,2", reads={"nthweekdaysofthemonth": "-1,2", "daysofthemonth": ""}),
    Shape("every other month on the second Tuesday", at10(2028, 1, 11), "monthly", 2,
          pair="2,3", end=at10(2028, 11, 14),
          reads={"nthweekdaysofthemonth": "2,3", "recurrenceinterval": "2"}),
    Shape("monthly on every Thursday", at10(2028, 1, 6), "monthly", 1, pair="0,5",
          reads={"nthweekdaysofthemonth": "0,5"}),
    Shape("yearly on 29 February", at10(2028, 2, 29), "yearly", 1, years=9,
          reads={"recurrencetype": "yearly", "monthsoftheyear": ""}),
    Shape("yearly in March and September", at10(2028, 3, 15), "yearly", 1, months="3¶9",
          years=3, reads={"monthsoftheyear": "3\r9", "nthweekdaysofthemonth": ""}),
    Shape("yearly on the last Sunday of March and October", at10(2028, 3, 26), "yearly", 1,
          pair="-1,1", months="3¶10", years=3, count=5,
          reads={"nthweekdaysofthemonth": "-1,1", "monthsoftheyear": "3\r10"}),
    Shape("yearly with a pair but no months: the plain shape", at10(2028, 5, 8), "yearly", 1,
          pair="2,2", years=3, reads={"nthweekdaysofthemonth": "", "monthsoftheyear": ""}),
]

READ_KEYWORDS = ["recurrencetype", "recurrenceinterval", "firstdayoftheweek", "hasend",
                 "daysoftheweek", "daysofthemonth", "nthweekdaysofthemonth", "monthsoftheyear"]
END_KEYWORDS = ["usesenddate", "occurrencecount"]


def value(result):
    return result["value"]


def create(host, shape):
    results = host.answers(
        'Zylo_NewItem ( "event" )',
        'Zylo_SetProperty ( "event" ; "calendartitle" ; "Plans" )',
        'Zylo_SetProperty ( "event" ; "title" ; ' + quoted(shape.name) + " )",
        'Zylo_SetProperty ( "event" ; "startdate" ; ' + stamp(shape.start) + " )",
        'Zylo_SetProperty ( "event" ; "enddate" ; ' +
        stamp(shape.start + datetime.timedelta(hours=1)) + " )",
        shape.add_call(),
        'Zylo_SaveItem ( "event" )',
        'Zylo_GetProperty ( "event" ; "uid" )')
    for r in results[:-1]:
        assert r == {"type": "number", "value": "0"}, f"{shape.name}: {results}"
    return value(results[-1])


def read_back(host, shape, uid):
    calls = ['Zylo_OpenItemWithUID ( "event" ; ' + quoted(uid) + " )"]
    calls += [f'Zylo_GetProperty ( "recurrencerule" ; "{k}" )' for k in READ_KEYWORDS]
    calls += [f'Zylo_GetProperty ( "recurrencerule" ; "recurrenceend" ; "{k}" )'
              for k in END_KEYWORDS + ["enddate"]]
    results = host.answers(*calls)
    keys = READ_KEYWORDS + ["end:" + k for k in END_KEYWORDS]
    reads = {k: value(r) for k, r in zip(keys, results[1:])}
    for keyword, expected in shape.reads.items():
        assert reads[keyword] == expected, f"{shape.name}: {keyword} read {reads[keyword]!r}"
    end_date = results[-1]
    if shape.end:
        assert end_date == {"type": "timestamp", "value": str(shape.end)}, end_date
    else:
        assert end_date.get("value", "") == "", f"{shape.name}: end date {end_date}"


def fetched_starts(host, shape, uid):
    fetch = (f"Zylo_EventsFetch ( {stamp(shape.start.replace(hour=0))} ; "
             f"{stamp(shape.window_end)} ; \"Plans\" ; {quoted(uid)} )")
    count = int(value(host.answers(fetch, 'Zylo_GetItemCountForType ( "event" )')[1]))
    calls = [fetch]
    for i in range(1, count + 1):
        calls += [f'Zylo_OpenItemAt ( "event" ; {i} )',
                  'Zylo_GetProperty ( "event" ; "startdate" )']
    results = host.answers(*calls)
    return sorted(datetime.datetime.fromisoformat(value(r)) for r in results[2::2])


def written_rule(calendars, uid):
    for path in (calendars / "plans").glob("*.ics"):
        text = path.read_text().replace("\r\n ", "").replace("\n ", "")
        if f"UID:{uid}" in text:
            event = text[text.index("BEGIN:VEVENT"):]
            rules = [line for line in event.splitlines() if line.startswith("RRULE:")]
            assert len(rules) == 1, rules
            return rules[0].strip()
    raise AssertionError(f"no file holds {uid}")


def expected_starts(shape, rule_line):
    dtstart = shape.start.replace(tzinfo=ZONE)
    rule = rrule.rrulestr(rule_line, dtstart=dtstart)
    window = (shape.start.replace(hour=0, tzinfo=ZONE), shape.window_end.replace(tzinfo=ZONE))
    return [d.replace(tzinfo=None) for d in rule.between(*window, inc=True)]


def main():
    host_exe = sys.argv[1]
    failures = 0
    with tempfile.TemporaryDirectory(prefix="zylo-recurrence-") as folder:
        calendars = pathlib.Path(folder)
        (calendars / "plans").mkdir()
        (calendars / "plans" / "displayname").write_text("Plans")
        host = zylo_host.Host(host_exe, calendars, ZONE_NAME)
        for shape in SHAPES:
            try:
                uid = create(host, shape)
                read_back(host, shape, uid)
                rule_line = written_rule(calendars, uid)
                got = fetched_starts(host, shape, uid)
                want = expected_starts(shape, rule_line)
                assert want, f"{shape.name}: {rule_line} gives no occurrence"
                assert got == want, (f"{shape.name}: {rule_line}\n  fetched  {got}\n"
                                     f"  expected {want}")
                if shape.end and shape.end.time() == datetime.time():
                    assert got[-1].date() == shape.end.date(), f"{shape.name}: {rule_line} ends {got[-1]}"
                print(f"ok   {shape.name}: {rule_line}, {len(got)} occurrences")
            except AssertionError as e:
                failures += 1
                print(f"FAIL {e}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
