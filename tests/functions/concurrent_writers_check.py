#!/usr/bin/python3
"""Several writers of one series and one event at once, checked in the files.

Each round writes a daily series and a single event as another calendar
program would, then starts at once several zylo-host processes, each
running a script of seeded random edits (retitle, move or remove one of
its own occurrences with "this", change the series' notes with "all",
retitle the occurrences to come with "future", change its own field of the
event), while a writer of its own here replaces the same files the way
vdirsyncer does (a new file swapped in only if the old one is still the one
it read), changing a property of its own. Afterwards:
  - every edit answered with success is in the files, every refused one is
    not, and a refusal gives only the reasons a concurrent edit explains;
  - python3-recurring-ical-events reads each day of the series exactly once
    (none lost, none doubled), at the time and with the title the
    successful edits leave;
  - the other writer's last change of each file is there.

usage: concurrent_writers_check.py ZYLO_HOST [--seed S] [--rounds N] [--processes 2 4] [--edits N]
"""

import argparse
import ctypes
import dataclasses
import datetime
import json
import os
import pathlib
import random
import subprocess
import sys
import tempfile
import threading
import time
import zoneinfo

import icalendar
import recurring_ical_events

BERLIN = zoneinfo.ZoneInfo("Europe/Berlin")
FIRST_DAY = datetime.date(2027, 5, 3)  # no clock change while the series lasts
DAYS = 40
EVENT_FIELDS = ["title", "location", "notes", "url"]
EVENT_PROPERTIES = {"title": "SUMMARY", "location": "LOCATION", "notes": "DESCRIPTION", "url": "URL"}
# What a refusal says when another writer took the occurrence out of the
# series meanwhile: not found when it is opened, gone when it is saved.
EXPLAINED = ("9001 ", "9998 The event could not be saved. The occurrence no longer exists in the store.",
             "9998 The event could not be removed. The occurrence no longer exists in the store.")

SERIES = ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Another Program//EN\r\nBEGIN:VEVENT\r\nUID:s\r\n"
          "DTSTAMP:20270101T000000Z\r\nDTSTART;TZID=Europe/Berlin:20270503T100000\r\n"
          f"DTEND;TZID=Europe/Berlin:20270503T110000\r\nRRULE:FREQ=DAILY;COUNT={DAYS}\r\n"
          "SUMMARY:Series\r\nDESCRIPTION:Notes\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
EVENT = ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Another Program//EN\r\nBEGIN:VEVENT\r\nUID:e\r\n"
         "DTSTAMP:20270101T000000Z\r\nDTSTART;TZID=Europe/Berlin:20270510T120000\r\n"
         "DTEND;TZID=Europe/Berlin:20270510T130000\r\nSUMMARY:Event\r\nLOCATION:Room\r\n"
         "DESCRIPTION:About\r\nURL:https://example.org/start\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")


def day_start(day, hour=10):
    return datetime.datetime.combine(FIRST_DAY + datetime.timedelta(days=day), datetime.time(hour), BERLIN)


def stamp(at):
    return (f"Timestamp ( Date ( {at.month} ; {at.day} ; {at.year} ) ; "
            f"Time ( {at.hour} ; {at.minute} ; {at.second} ) )")


# --- The edits a zylo-host process makes ----------------------------------------

@dataclasses.dataclass
class Edit:
    process: int
    number: int
    kind: str             # this-title, this-move, this-remove, all-notes, future-title, event
    day: int = 0          # the occurrence opened (its original start)
    text: str = ""        # the unique text written, when there is one
    field: str = ""       # event: which field
    hours: int = 0        # this-move: the new start's hour
    outcome: str = ""     # "ok", or what the refusal said

    @property
    def ok(self):
        return self.outcome == "ok"

    def steps(self):
        """The script lines of this edit: each shows "number|outcome"."""
        opened = f'Zylo_OpenItemWithUID ( "event" ; "s" ; {stamp(day_start(self.day))} )'
        if self.kind == "this-remove":
            remove = f'Zylo_RemoveItem ( "event" ; "s" ; {stamp(day_start(self.day))} ; "this" )'
            return [f'  Set Variable [ $v ; Value: {remove} ]',
                    f'  Show [ "{self.number}|" & $v & "|" & Zylo_GetLastError ( "number" ) & "|" & Zylo_GetLastError ]']
        if self.kind == "event":
            opened = 'Zylo_OpenItemWithUID ( "event" ; "e" )'
            value = f"https://example.org/{self.text}" if self.field == "url" else self.text
            changes = [f'Zylo_SetProperty ( "event" ; "{self.field}" ; "{value}" )']
            span = "all"
        elif self.kind == "this-move":
            start = day_start(self.day, self.hours)
            changes = [f'Zylo_SetProperty ( "event" ; "startdate" ; {stamp(start)} )',
                       f'Zylo_SetProperty ( "event" ; "enddate" ; {stamp(start + datetime.timedelta(hours=1))} )']
            span = "this"
        else:
            field = "notes" if self.kind == "all-notes" else "title"
            changes = [f'Zylo_SetProperty ( "event" ; "{field}" ; "{self.text}" )']
            span = {"this-title": "this", "all-notes": "all", "future-title": "future"}[self.kind]
        save = f'Zylo_SaveItem ( "event" ; "{span}" )'
        return [f'  Set Variable [ $o ; Value: {opened} ]',
                '  If [ $o = "0" ]',
                f'    Set Variable [ $s ; Value: {" & ".join(changes)} ]',
                f'    Set Variable [ $v ; Value: $s & {save} ]',
                f'    Show [ "{self.number}|" & $v & "|" & Zylo_GetLastError ( "number" ) & "|" & Zylo_GetLastError ]',
                '  Else',
                f'    Show [ "{self.number}|open failed|" & Zylo_GetLastError ( "number" ) & "|" & Zylo_GetLastError ]',
                '  End If']


def plan(rng, process, processes, count):
    """A random sequence of edits for one process: occurrences of its own
    (the days it owns), the series' notes for the first, the occurrences to
    come for the second, its own field of the event."""
    own = [d for d in range(DAYS) if d % processes == process]
    removed = set()
    edits = []
    kinds = ["this-title"] * 3 + ["this-move"] * 2 + ["this-remove"] + ["event"] * 3
    kinds += ["all-notes"] * 2 if process == 0 else []
    kinds += ["future-title"] if process == 1 else []
    for number in range(count):
        kind = rng.choice(kinds)
        edit = Edit(process, number, kind, text=f"P{process}-E{number:03d}")
        if kind.startswith("this-"):
            choices = [d for d in own if d not in removed]
            if not choices:
                continue
            edit.day = rng.choice(choices)
            if kind == "this-remove":
                removed.add(edit.day)
            edit.hours = rng.choice([8, 9, 11, 12])
        elif kind == "event":
            edit.field = EVENT_FIELDS[process % len(EVENT_FIELDS)]
        elif kind == "future-title":
            edit.day = rng.randrange(DAYS // 3, DAYS - 3)
        else:
            edit.day = rng.randrange(DAYS)
        edits.append(edit)
    return edits


def script(edits):
    lines = ['Script "Edits"']
    for edit in edits:
        lines += edit.steps()
    return "\n".join(lines + ["End Script", ""])


# --- The other writer -------------------------------------------------------------

RENAME_EXCHANGE = 2
AT_FDCWD = -100
LIBC = ctypes.CDLL(None, use_errno=True)


def stamp_of(path):
    st = os.stat(path)
    return (st.st_mtime_ns, st.st_size, st.st_ino)


def with_peer_mark(text, mark):
    """The file with X-PEER:mark on its main component (the VEVENT without a
    RECURRENCE-ID)."""
    lines = text.split("\r\n")
    blocks, start = [], None
    for i, line in enumerate(lines):
        if line == "BEGIN:VEVENT":
            start = i
        elif line == "END:VEVENT":
            blocks.append((start, i))
    for begin, end in blocks:
        if not any(line.startswith("RECURRENCE-ID") for line in lines[begin:end]):
            body = [line for line in lines[begin + 1:end] if not line.startswith("X-PEER:")]
            lines[begin + 1:end] = [f"X-PEER:{mark}"] + body
            return "\r\n".join(lines)
    return None


class OtherWriter(threading.Thread):
    """Replaces the series and the event files now and then as vdirsyncer
    does, checking that what it replaces is what it read: it swaps its file
    in and gives back what it swapped out when that was not it."""

    def __init__(self, folder, rng):
        super().__init__(daemon=True)
        self.folder, self.rng = folder, rng
        self.done = threading.Event()
        self.last = {}        # file name: the last mark written
        self.conflicts = 0

    def run(self):
        mark = 0
        while not self.done.is_set():
            name = self.rng.choice(["s.ics", "e.ics"])
            mark += 1
            if self.replace(self.folder / name, mark):
                self.last[name] = mark
            time.sleep(self.rng.uniform(0.02, 0.1))

    def replace(self, path, mark):
        try:
            before = stamp_of(path)
            text = path.read_bytes().decode()
        except FileNotFoundError:
            return False
        changed = with_peer_mark(text, mark)
        if changed is None:
            return False
        temporary = path.parent / f".peer-{mark}.tmp"
        with open(temporary, "w", newline="") as out:
            out.write(changed)
            out.flush()
            os.fsync(out.fileno())
        try:
            if stamp_of(path) != before or LIBC.renameat2(AT_FDCWD, bytes(temporary), AT_FDCWD, bytes(path),
                                                          RENAME_EXCHANGE) != 0:
                self.conflicts += 1
                return False
            if stamp_of(temporary) == before:
                return True
            # Another writer's file came in meanwhile: it goes back.
            LIBC.renameat2(AT_FDCWD, bytes(temporary), AT_FDCWD, bytes(path), RENAME_EXCHANGE)
            self.conflicts += 1
            return False
        except FileNotFoundError:
            return False
        finally:
            temporary.unlink(missing_ok=True)


# --- One round ------------------------------------------------------------------

def run_round(host, rng, processes, count, log):
    with tempfile.TemporaryDirectory(prefix="zylo-writers-") as folder:
        root = pathlib.Path(folder)
        calendar = root / "home"
        calendar.mkdir()
        (calendar / "displayname").write_text("Home\n")
        (calendar / "s.ics").write_text(SERIES, newline="")
        (calendar / "e.ics").write_text(EVENT, newline="")
        index = "off" if os.environ.get("ZYLO_STORE_INDEX") == "off" else str(root / ".index")
        env = dict(os.environ, TZ="Europe/Berlin", ZYLO_OS_VERSION="10.8", ZYLO_STORE_INDEX=index)
        plans = [plan(rng, p, processes, count) for p in range(processes)]
        runs = []
        for p, edits in enumerate(plans):
            path = root / f"writer{p}.fmscript"
            path.write_text(script(edits))
            runs.append(subprocess.Popen([host, "--json", "--calendars", str(root), "run", str(path)], env=env,
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True))
        other = OtherWriter(calendar, random.Random(rng.random()))
        other.start()
        outputs = [run.communicate(timeout=300) for run in runs]
        other.done.set()
        other.join()
        problems = []
        for p, (run, (out, err)) in enumerate(zip(runs, outputs)):
            if run.returncode != 0:
                problems.append(f"zylo-host {p} ended with {run.returncode}: {err.strip()}")
            by_number = {e.number: e for e in plans[p]}
            for line in out.splitlines():
                number, results, code, words = (json.loads(line)["value"].split("|", 3) + ["", "", ""])[:4]
                by_number[int(number)].outcome = "ok" if set(results) <= {"0"} else f"{code} {words}"
        edits = [e for edits in plans for e in edits]
        problems += check(calendar, edits, other)
        ok = sum(e.ok for e in edits)
        log(f"{processes} writers: {ok} of {len(edits)} edits saved, {len(edits) - ok} refused; "
            f"the other writer's {len(other.last)} files kept, {other.conflicts} of its replacements deferred")
        return problems


# --- What the files must hold --------------------------------------------------------

def read_series(calendar):
    """Every occurrence of every series file: (day, start, title), and the
    main components' DESCRIPTION and X-PEER by UID."""
    occurrences, mains = [], {}
    for path in sorted(calendar.glob("*.ics")):
        parsed = icalendar.Calendar.from_ical(path.read_bytes())
        uids = set()
        for component in parsed.walk("VEVENT"):
            uids.add(str(component["UID"]))
            if "RECURRENCE-ID" not in component:
                mains[str(component["UID"])] = component
        if uids == {"e"}:
            continue
        low = datetime.datetime.combine(FIRST_DAY - datetime.timedelta(days=2), datetime.time())
        high = low + datetime.timedelta(days=DAYS + 4)
        for e in recurring_ical_events.of(parsed).between(low, high):
            start = e["DTSTART"].dt.astimezone(BERLIN)
            occurrences.append(((start.date() - FIRST_DAY).days, start, str(e.get("SUMMARY", ""))))
    return occurrences, mains


def check(calendar, edits, other):
    problems = []
    texts = b"".join(p.read_bytes() for p in calendar.glob("*.ics")).decode().replace("\r\n ", "")
    removed = {e.day for e in edits if e.kind == "this-remove" and e.ok}
    splits = sorted((e.day, e.text) for e in edits if e.kind == "future-title" and e.ok)
    for e in edits:
        taken_out = e.kind != "event" and (e.day in removed or any(first <= e.day for first, _ in splits))
        if not e.ok and not (taken_out and e.outcome.startswith(EXPLAINED)):
            problems.append(f"process {e.process} edit {e.number} ({e.kind}) refused unexplained: {e.outcome}")
        if e.text and not e.ok and e.text in texts:
            problems.append(f"process {e.process} edit {e.number} ({e.kind}) was refused but is in the files")
    occurrences, mains = read_series(calendar)
    # The series: each day once, unless its owner removed it.
    seen = {}
    for day, start, title in occurrences:
        if day in seen:
            problems.append(f"day {day} is read twice: {seen[day]} and {(start, title)}")
        seen[day] = (start, title)
    for day in range(DAYS):
        mine = [e for e in edits if e.ok and e.day == day and e.kind in ("this-title", "this-move")]
        if day in removed:
            if day in seen:
                problems.append(f"day {day} was removed but is read at {seen[day]}")
            continue
        if day not in seen:
            problems.append(f"day {day} is lost")
            continue
        moves = [e for e in mine if e.kind == "this-move"]
        titles = [e for e in mine if e.kind == "this-title"]
        want_start = day_start(day, moves[-1].hours if moves else 10)
        # A split's title reaches the occurrences to come that had none of
        # their own, and the one it was made from.
        covering = [text for first, text in splits if first <= day]
        want_title = titles[-1].text if titles else (covering[-1] if covering else "Series")
        want_title = next((text for first, text in splits if first == day), want_title)
        if seen[day] != (want_start, want_title):
            problems.append(f"day {day} reads {seen[day]}, the edits answered with success leave "
                            f"{(want_start, want_title)}")
    notes = [e.text for e in edits if e.kind == "all-notes" and e.ok]
    if notes and str(mains["s"].get("DESCRIPTION")) != notes[-1]:
        problems.append(f"the series' notes are {mains['s'].get('DESCRIPTION')}, not {notes[-1]}")
    # The event: each field holds its writer's last saved value.
    for field in EVENT_FIELDS:
        saved = [e.text for e in edits if e.kind == "event" and e.field == field and e.ok]
        if saved:
            value = str(mains["e"].get(EVENT_PROPERTIES[field]))
            want = f"https://example.org/{saved[-1]}" if field == "url" else saved[-1]
            if value != want:
                problems.append(f"the event's {field} is {value}, not {want}")
    for name, uid in (("s.ics", "s"), ("e.ics", "e")):
        if name in other.last and str(mains[uid].get("X-PEER")) != str(other.last[name]):
            problems.append(f"the other writer's last change of {name} ({other.last[name]}) is lost: "
                            f"{mains[uid].get('X-PEER')}")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("host")
    parser.add_argument("--seed", type=int, default=20270503)
    parser.add_argument("--rounds", type=int, default=8)
    parser.add_argument("--processes", type=int, nargs="+", default=[2, 4])
    parser.add_argument("--edits", type=int, default=16)
    args = parser.parse_args()
    failures = 0
    for processes in args.processes:
        for number in range(args.rounds):
            rng = random.Random(f"{args.seed}-{processes}-{number}")
            problems = run_round(args.host, rng, processes, args.edits, print)
            if problems:
                failures += 1
                print(f"FAIL round {number} with {processes} writers (seed {args.seed}):\n    " +
                      "\n    ".join(problems))
    print(f"{len(args.processes) * args.rounds - failures} rounds passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
