#!/usr/bin/env python3
"""Every item file zylo-host writes, read by programs we did not write.

The example scripts and a script of our own (texts with line breaks and
control characters, an address outside ASCII, a far year, the UTC and
London zones, an edit of a file khal wrote) run over a copy of the example
calendars. Each file they create or change must parse with python-icalendar
and keep the file rules: CR LF line ends, lines of at most 75 octets, no
control characters, a VTIMEZONE for every TZID that zoneinfo agrees with
(every onset, and DAYLIGHT exactly for daylight time), and no zone history
older than the file needs. When khal is installed it writes an event first and
reads the calendars afterwards: what it wrote and Zylo did not change must
still read the same. When todoman is installed, a task goes the same way
there and back.

usage: written_files_check.py ZYLO_HOST EXAMPLES_DIR
"""

import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import zoneinfo
from datetime import datetime, timedelta, timezone

from dateutil.rrule import rrulestr
from icalendar import Calendar

import zylo_host

KHAL = shutil.which("khal")
TODOMAN = shutil.which("todoman")
UTF8_URL = "https://de.wikipedia.org/wiki/Straße"


def quoted(text):
    return '"' + text.replace('"', '""') + '"'


class Host(zylo_host.Host):
    def eval(self, *calculations, zone=None):
        """The answers' texts; any failed calculation fails the check."""
        values = self.values(*calculations, zone=zone)
        errors = [c for c, v in zip(calculations, values) if "!!ERROR!!" in str(v)]
        if errors:
            raise AssertionError(f"failed: {errors}")
        return values


def new_event(title, start, *sets):
    calls = ['Zylo_NewItem ( "event" )', 'Zylo_SetProperty ( "event" ; "calendartitle" ; "Work" )',
             f'Zylo_SetProperty ( "event" ; "title" ; {title} )',
             f'Zylo_SetProperty ( "event" ; "startdate" ; {start} )',
             f'Zylo_SetProperty ( "event" ; "enddate" ; {start} + 3600 )']
    calls += [f'Zylo_SetProperty ( "event" ; {quoted(k)} ; {v} )' for k, v in sets]
    return calls + ['Zylo_SaveItem ( "event" ; "all" )', 'Zylo_GetProperty ( "event" ; "uid" )']


def stamp(year, month, day, hour):
    return f"Timestamp ( Date ( {month} ; {day} ; {year} ) ; Time ( {hour} ; 0 ; 0 ) )"


def zone_faults(zone, first_year):
    """How a VTIMEZONE disagrees with zoneinfo: each onset its blocks name
    (expanded for 15 years) must change from TZOFFSETFROM to TZOFFSETTO at
    that instant, into daylight time exactly when the block says DAYLIGHT."""
    tzid = str(zone["TZID"])
    try:
        info = zoneinfo.ZoneInfo(tzid)
    except (zoneinfo.ZoneInfoNotFoundError, ValueError):
        return []
    faults = []
    for block in zone.subcomponents:
        start = block["DTSTART"].dt.replace(tzinfo=None)
        offset_from, offset_to = block["TZOFFSETFROM"].td, block["TZOFFSETTO"].td
        onsets = [start]
        if "RRULE" in block:
            # An UNTIL in UTC read as local time: at most the last onset goes unchecked.
            text = re.sub(r"(UNTIL=\d{8}T\d{6})Z", r"\1", block["RRULE"].to_ical().decode())
            rule = rrulestr(text, dtstart=start)
            onsets = rule.between(start, datetime(max(first_year, start.year) + 15, 1, 1), inc=True)
        for local in onsets:
            at = (local - offset_from).replace(tzinfo=timezone.utc).astimezone(info)
            before = (at - timedelta(seconds=1)).astimezone(info)
            daylight = at.dst() != timedelta(0)
            if at.utcoffset() != offset_to or (offset_from != offset_to and before.utcoffset() != offset_from):
                faults.append(f"{tzid} {block.name} {local}: {offset_from}->{offset_to}, zoneinfo "
                              f"{before.utcoffset()}->{at.utcoffset()}")
            if daylight != (block.name == "DAYLIGHT"):
                faults.append(f"{tzid} {local}: labelled {block.name}, zoneinfo dst {at.dst()}")
    return faults


def file_faults(path, data, before=b""):
    """The rules a written file breaks, as texts. A VTIMEZONE the file held
    `before` is kept as written and not Zylo's to answer for: khal's, for
    one, gives each onset in the local time after it, where RFC 5545 takes
    the time before it (TZOFFSETFROM)."""
    faults = []
    if b"\n" in data.replace(b"\r\n", b"") or b"\r" in data.replace(b"\r\n", b""):
        faults.append("a line does not end with CR LF")
    lines = data.split(b"\r\n")[:-1]
    faults += [f"longer than 75 octets: {l!r}" for l in lines if len(l) > 75]
    faults += [f"control character: {l!r}" for l in lines
               if any(c < 0x20 and c != 0x09 or c == 0x7F for c in l)]
    try:
        calendar = Calendar.from_ical(data.decode("utf-8"))
    except Exception as e:  # noqa: BLE001 - any parse failure is the finding
        return faults + [f"python-icalendar cannot read it: {e}"]
    zones = {str(z["TZID"]): z for z in calendar.walk("VTIMEZONE")}
    first_year = {}
    for component in calendar.walk():
        if component.name == "VTIMEZONE" or component.name in ("STANDARD", "DAYLIGHT"):
            continue
        for name, value in component.property_items(recursive=False):
            tzid = getattr(value, "params", {}).get("TZID") if hasattr(value, "params") else None
            if tzid is None:
                continue
            if tzid not in zones:
                faults.append(f"no VTIMEZONE for {tzid}")
            year = int(value.to_ical()[:4]) if hasattr(value, "to_ical") else 9999
            first_year[tzid] = min(first_year.get(tzid, 9999), year)
    for tzid, zone in zones.items():
        size = len(zone.to_ical())
        if first_year.get(tzid, 0) >= 1990 and size > 640:
            faults.append(f"VTIMEZONE {tzid} holds {size} octets")
        if f"TZID:{tzid}\r\n".encode() not in before:
            faults += zone_faults(zone, first_year.get(tzid, 2000))
    return faults


def khal_config(root, calendars):
    config = root / "khal.conf"
    sections = "".join(f"[[{d.name}]]\npath = {d}\ntype = calendar\n"
                       for d in sorted(calendars.iterdir()) if d.is_dir())
    config.write_text(
        f"[calendars]\n{sections}[locale]\ntimeformat = %H:%M\ndateformat = %Y-%m-%d\n"
        "longdateformat = %Y-%m-%d\ndatetimeformat = %Y-%m-%d %H:%M\n"
        "longdatetimeformat = %Y-%m-%d %H:%M\ndefault_timezone = Europe/Berlin\n"
        f"local_timezone = Europe/Berlin\n[sqlite]\npath = {root / 'khal.db'}\n")
    return config


def khal(config, *args):
    env = dict(os.environ, TZ="Europe/Berlin")
    done = subprocess.run([KHAL, "-c", str(config), *args], env=env, capture_output=True, text=True,
                          check=True)
    return done.stdout


def todoman(root, *args, stdin=None):
    config = root / "todoman.py"
    config.write_text(f'path = "{root / "calendars"}/*"\ndate_format = "%Y-%m-%d"\n'
                      f'time_format = "%H:%M"\ndefault_list = "work"\n'
                      f'cache_path = "{root / "todoman.sqlite3"}"\n')
    env = dict(os.environ, TZ="Europe/Berlin")
    return subprocess.run([TODOMAN, "--config", str(config), *args], env=env, capture_output=True,
                          text=True, check=True, input=stdin).stdout


def todoman_round_trip(root, host):
    """A task todoman wrote, changed by Zylo and read back by todoman; an
    address Zylo wrote, kept by todoman's own edit; a day Zylo wrote as due."""
    todoman(root, "new", "-l", "work", "-r", "--due", "2026-06-20 10:00", "Written by todoman",
            stdin="line one\nline two")
    path = next(p for p in (root / "calendars").rglob("*.ics") if b"Written by todoman" in p.read_bytes())
    uid = re.search(rb"UID:(\S+)", path.read_bytes()).group(1).decode()
    listed = lambda: json.loads(todoman(root, "--porcelain", "list", "--status", "ANY"))
    written = next(t for t in listed() if t["summary"] == "Written by todoman")
    assert "line two" in written["description"], written
    host.eval(f'Zylo_OpenItemWithUID ( "task" ; {quoted(uid)} ; "" )',
              'Zylo_SetProperty ( "task" ; "title" ; "Renamed by Zylo" )',
              f'Zylo_SetProperty ( "task" ; "url" ; {quoted(UTF8_URL)} )', 'Zylo_SaveItem ( "task" )')
    faults = file_faults(path, path.read_bytes())
    assert not faults, faults
    task = next(t for t in listed() if t["summary"] == "Renamed by Zylo")
    assert task["description"] == written["description"], task
    todoman(root, "done", str(task["id"]))
    read = host.eval(f'Zylo_OpenItemWithUID ( "task" ; {quoted(uid)} ; "" )',
                     'Zylo_GetProperty ( "task" ; "notes" )', 'Zylo_GetProperty ( "task" ; "url" )',
                     'Zylo_GetProperty ( "task" ; "iscompleted" )')
    assert read[1:] == [written["description"].replace("\n", "\r"), UTF8_URL, "True"], read
    # A due date given as a FileMaker date is a day to todoman, with no time.
    host.eval('Zylo_NewItem ( "task" )', 'Zylo_SetProperty ( "task" ; "calendartitle" ; "Work" )',
              'Zylo_SetProperty ( "task" ; "title" ; "Due on a day" )',
              'Zylo_SetProperty ( "task" ; "duedate" ; Date ( 6 ; 21 ; 2026 ) )', 'Zylo_SaveItem ( "task" )')
    line = next(l for l in todoman(root, "list", "--status", "ANY").splitlines() if "Due on a day" in l)
    assert re.search(r" 2026-06-21 Due on a day", line), line


def main():
    exe, examples = sys.argv[1], pathlib.Path(sys.argv[2])
    with tempfile.TemporaryDirectory() as temp:
        temp = pathlib.Path(temp)
        calendars = temp / "calendars"
        shutil.copytree(examples / "calendars", calendars)
        config = khal_config(temp, calendars) if KHAL else None
        if KHAL:
            khal(config, "new", "-a", "work", "--categories", "work,Überstunden", "--url", UTF8_URL,
                 "2026-06-20", "10:00", "11:00", "Written by khal", "::", "line one\nline two")
        before = {p: p.read_bytes() for p in calendars.rglob("*.ics")}
        host = Host(exe, calendars)

        for script in sorted(examples.glob("*.fmscript")):
            host.run(["run", str(script)])
        texts = host.eval(*new_event(
            '"Line one¶line two"', stamp(2026, 7, 1, 10),
            ("notes", '"bell" & Char ( 7 ) & "esc" & Char ( 27 ) & "¶end"'), ("url", quoted(UTF8_URL))))[-1]
        far = host.eval(*new_event('"Far"', stamp(3500, 7, 1, 10)))[-1]
        utc = host.eval(*new_event('"In UTC"', stamp(2026, 7, 2, 10)), zone="UTC")[-1]
        london = host.eval(*new_event('"In London"', stamp(2026, 7, 3, 10)), zone="Europe/London")[-1]
        sydney = host.eval(*new_event('"In Sydney"', stamp(2026, 1, 3, 10)), zone="Australia/Sydney")[-1]
        blanks = host.eval(*new_event('"  two before, two after  "', stamp(2026, 7, 4, 10),
                                      ("location", '" ¶room 4¶ "')))[-1]
        # Pacific/Apia skipped 30 December 2011: an all-day event there keeps that date.
        apia = host.eval(*new_event('"Skipped day"', "Date ( 12 ; 30 ; 2011 )", ("isallday", "\"true\"")),
                         zone="Pacific/Apia")[-1]
        read = host.eval(f'Zylo_OpenItemWithUID ( "event" ; {quoted(apia)} ; "" )',
                         'Zylo_GetProperty ( "event" ; "startdate" )', zone="Pacific/Apia")
        assert read[1] == "2011-12-30 00:00:00", read
        if KHAL:
            khal_uid = re.search(rb"UID:(\S+)", next(
                b for b in before.values() if b"Written by khal" in b)).group(1).decode()
            host.eval(f'Zylo_OpenItemWithUID ( "event" ; {quoted(khal_uid)} ; "" )',
                      'Zylo_SetProperty ( "event" ; "title" ; "Renamed by Zylo" )',
                      'Zylo_SaveItem ( "event" ; "all" )')
            read = host.eval(f'Zylo_OpenItemWithUID ( "event" ; {quoted(khal_uid)} ; "" )',
                             'Zylo_GetProperty ( "event" ; "notes" )', 'Zylo_GetProperty ( "event" ; "url" )')
            assert read[1:] == ["line one\rline two", UTF8_URL], read

        written = {p: p.read_bytes() for p in calendars.rglob("*.ics") if before.get(p) != p.read_bytes()}
        assert len(written) >= 5, sorted(written)
        faults = {str(p.relative_to(calendars)): f for p, d in written.items() if (f := file_faults(p, d, before.get(p, b"")))}
        assert not faults, json.dumps(faults, indent=1, ensure_ascii=False)

        def event_of(uid):
            data = next(d for d in written.values() if f"UID:{uid}".encode() in d)
            return data, Calendar.from_ical(data.decode()).walk("VEVENT")[0]

        data, event = event_of(texts)
        assert str(event["SUMMARY"]) == "Line one\nline two", event["SUMMARY"]
        assert str(event["DESCRIPTION"]) == "bellesc\nend", event["DESCRIPTION"]
        assert str(event["URL"]) == UTF8_URL, event["URL"]
        data, event = event_of(far)
        assert b"DTSTART;TZID=Europe/Berlin:35000701T100000\r\n" in data, data
        data, event = event_of(utc)
        assert b"DTSTART:20260702T100000Z\r\n" in data and b"TZID" not in data, data
        data, event = event_of(london)
        assert b"TZID:Europe/London\r\n" in data and len(data) < 1200, data
        data, event = event_of(sydney)
        assert b"BEGIN:VTIMEZONE\r\nTZID:Australia/Sydney\r\nBEGIN:DAYLIGHT\r\n" in data, data
        data, event = event_of(apia)
        assert str(event["DTSTART"].to_ical().decode()) == "20111230", data
        data, event = event_of(blanks)
        assert str(event["SUMMARY"]) == "  two before, two after  ", event["SUMMARY"]
        assert str(event["LOCATION"]) == " \nroom 4\n ", event["LOCATION"]
        read = host.eval(f'Zylo_OpenItemWithUID ( "event" ; {quoted(blanks)} ; "" )',
                         'Zylo_GetProperty ( "event" ; "title" )', 'Zylo_GetProperty ( "event" ; "location" )')
        assert read[1:] == ["  two before, two after  ", " \rroom 4\r "], read

        if KHAL:
            data, event = event_of(khal_uid)
            assert b"\r\nCATEGORIES:work,\xc3\x9cberstunden\r\n" in data, data
            shown = khal(config, "list", "--format", "{title}|{categories}|{url}|{description}",
                         "2026-06-20", "2d")
            assert f"Renamed by Zylo|work,Überstunden|{UTF8_URL}|line one\nline two" in shown, shown
            shown = khal(config, "list", "--format", "{title}|{url}|{description}", "2026-07-01", "1d")
            assert f"Line one\nline two|{UTF8_URL}|bellesc\nend" in shown, shown
            print("khal round trip: ok")
        else:
            print("khal not installed: its round trip was skipped")
        print(f"{len(written)} written files checked")
        if TODOMAN:
            todoman_round_trip(temp, host)
            print("todoman round trip: ok")
        else:
            print("todoman not installed: its round trip was skipped")


if __name__ == "__main__":
    main()
