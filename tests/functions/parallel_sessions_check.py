#!/usr/bin/python3
"""Sessions of zylo-host side by side answer as each does alone.

Writes a seeded random script for each of N sessions: each creates events
(single or daily) in one shared calendar, edits occurrences by every span,
removes some, lists its own events, and at the end lists every event it
made. Each script first runs alone (one zylo-host run after another, on one
copy of the sample calendars), then all together on a fresh copy with
`run --parallel`, each in a session and thread of its own. Every session's
printed lines must be the same both times.

usage: parallel_sessions_check.py ZYLO_HOST CALENDARS [--sessions N] [--steps N] [--seed S] [--rounds N]
"""

import argparse
import pathlib
import random
import shutil
import subprocess
import sys
import tempfile

RANGE = 'Timestamp ( Date ( 7 ; 1 ; 2026 ) ; Time ( 0 ; 0 ; 0 ) ) ; Timestamp ( Date ( 9 ; 1 ; 2026 ) ; Time ( 0 ; 0 ; 0 ) )'
SPANS = ["this", "future", "all"]


def at(day, hour):
    return f"Timestamp ( Date ( 7 ; {day} ; 2026 ) ; Time ( {hour} ; 0 ; 0 ) )"


class Script:
    """One session's script, written step by step."""

    def __init__(self, session, rng):
        self.session, self.rng, self.lines, self.items, self.made = session, rng, [], 0, 0

    def add(self, line):
        self.lines.append("  " + line)

    def show(self, label, value="$ok"):
        self.add(f'Show [ "{label} " & {value} & " " & Zylo_GetLastError & " " & Zylo_GetLastError ( "number" ) ]')

    def create(self):
        self.made += 1
        day, hour = self.rng.randint(1, 20), self.rng.randint(8, 15)
        calc = ['Zylo_NewItem ( "event" )', 'Zylo_SetProperty ( "event" ; "calendartitle" ; "Home" )',
                f'Zylo_SetProperty ( "event" ; "title" ; "s{self.session}-{self.made}" )',
                f'Zylo_SetProperty ( "event" ; "startdate" ; {at(day, hour)} )',
                f'Zylo_SetProperty ( "event" ; "enddate" ; {at(day, hour + 1)} )']
        if self.rng.random() < 0.5:
            calc.append(f'Zylo_AddRecurrence ( "daily" ; {self.rng.randint(1, 2)} ; "" ; "" ; "" ; "" ; "" ; {self.rng.randint(3, 6)} )')
        calc.append('Zylo_SaveItem ( "event" ; "all" )')
        self.add(f"Set Variable [ $ok ; Value: {' & '.join(calc)} ]")
        self.show(f"create {self.made}")
        self.keep_current()

    def keep_current(self):
        self.items += 1
        self.add(f'Set Variable [ $$u{self.items} ; Value: Zylo_GetProperty ( "event" ; "uid" ) ]')

    def open_some(self):
        """Opens an occurrence of one of the session's events; the steps that follow run inside If."""
        item = self.rng.randint(1, self.items)
        self.add(f'Set Variable [ $ok ; Value: Zylo_EventsFetch ( {RANGE} ; "Home" ; $$u{item} ) ]')
        self.add('Set Variable [ $n ; Value: Zylo_GetItemCountForType ( "event" ) ]')
        self.add('Show [ "count " & $n ]')
        self.add("If [ $n > 0 ]")
        p = self.rng.randint(1, 6)
        self.add(f'Set Variable [ $ok ; Value: $ok & Zylo_OpenItemAt ( "event" ; If ( {p} > $n ; $n ; {p} ) ) ]')
        return item

    def edit(self):
        if not self.items:
            return
        span = self.rng.choice(SPANS)
        if span == "future":
            # Named even when nothing is opened: an empty identifier would fetch every session's events.
            self.add(f'Set Variable [ $$u{self.items + 1} ; Value: "none" ]')
        self.open_some()
        if self.rng.random() < 0.5:
            self.made += 1
            self.add(f'Set Variable [ $ok ; Value: $ok & Zylo_SetProperty ( "event" ; "title" ; "t{self.made}" ) ]')
        else:
            hour = self.rng.randint(6, 17)
            self.add('Set Variable [ $day ; Value: GetAsDate ( Zylo_GetProperty ( "event" ; "startdate" ) ) ]')
            self.add(f'Set Variable [ $ok ; Value: $ok & Zylo_SetProperty ( "event" ; "startdate" ; Timestamp ( $day ; Time ( {hour} ; 0 ; 0 ) ) ) ]')
            self.add(f'Set Variable [ $ok ; Value: $ok & Zylo_SetProperty ( "event" ; "enddate" ; Timestamp ( $day ; Time ( {hour + 1} ; 0 ; 0 ) ) ) ]')
        self.add(f'Set Variable [ $ok ; Value: $ok & Zylo_SaveItem ( "event" ; "{span}" ) ]')
        self.show(f"save {span}")
        if span == "future":
            self.add(f'Set Variable [ $$u{self.items + 1} ; Value: Zylo_GetProperty ( "event" ; "uid" ) ]')
        self.add("End If")
        if span == "future":
            self.items += 1

    def remove(self):
        if not self.items:
            return
        item = self.open_some()
        span = self.rng.choice(SPANS)
        self.add(f'Set Variable [ $ok ; Value: $ok & Zylo_RemoveItem ( "event" ; $$u{item} ; Zylo_GetProperty ( "event" ; "occurrence" ) ; "{span}" ) ]')
        self.show(f"remove {span}")
        self.add("End If")

    def list_all(self, label):
        for item in range(1, self.items + 1):
            self.add(f'Perform Script [ "List" ; Parameter: $$u{item} ]')
        self.add(f'Show [ "{label} done" ]')

    def text(self, steps):
        for _ in range(steps):
            self.rng.choice([self.create, self.create, self.edit, self.edit, self.remove,
                             lambda: self.list_all("list")])()
        self.list_all("final")
        return "\n".join([f'Script "Session {self.session}"', *self.lines, "End Script", "",
                          'Script "List"',
                          f'  Set Variable [ $ok ; Value: Zylo_EventsFetch ( {RANGE} ; "Home" ; Get ( ScriptParameter ) ) ]',
                          '  Set Variable [ $n ; Value: Zylo_GetItemCountForType ( "event" ) ]',
                          '  Show [ "events " & $ok & " " & $n ]',
                          "  Set Variable [ $i ; Value: 0 ]",
                          "  Loop",
                          "    Set Variable [ $i ; Value: $i + 1 ]",
                          "    Exit Loop If [ $i > $n ]",
                          '    Set Variable [ $ok ; Value: Zylo_OpenItemAt ( "event" ; $i ) ]',
                          '    Show [ Zylo_GetProperty ( "event" ; "title" ) & " | " & Zylo_GetProperty ( "event" ; "startdate" ) & " | " & Zylo_GetProperty ( "event" ; "enddate" ) ]',
                          "  End Loop",
                          "End Script", ""])


def run(host, calendars, args):
    done = subprocess.run([host, "--calendars", str(calendars), "run", *args], capture_output=True, text=True,
                          timeout=600, env={"TZ": "Europe/Berlin", "PATH": "/usr/bin:/bin"})
    if done.returncode != 0:
        sys.exit(f"zylo-host {' '.join(args)} exited {done.returncode}:\n{done.stdout}\n{done.stderr}")
    return done.stdout.splitlines()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("host")
    parser.add_argument("calendars")
    parser.add_argument("--sessions", type=int, default=8)
    parser.add_argument("--steps", type=int, default=20)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--rounds", type=int, default=2)
    args = parser.parse_args()
    failures = 0
    with tempfile.TemporaryDirectory(prefix="zylo-parallel-") as temp:
        temp = pathlib.Path(temp)
        for round_ in range(args.rounds):
            seed = args.seed * 1000 + round_
            files = []
            for s in range(1, args.sessions + 1):
                path = temp / f"session{s}.fmscript"
                path.write_text(Script(s, random.Random(seed * 100 + s)).text(args.steps))
                files.append(str(path))
            alone_root, together_root = temp / f"alone{round_}", temp / f"together{round_}"
            shutil.copytree(args.calendars, alone_root)
            shutil.copytree(args.calendars, together_root)
            alone = [run(args.host, alone_root, [f]) for f in files]
            together = {s: [] for s in range(1, args.sessions + 1)}
            for line in run(args.host, together_root, ["--parallel", *files]):
                tag, _, rest = line.partition("] ")
                together[int(tag.lstrip("["))].append(rest)
            for s in range(1, args.sessions + 1):
                got, want = together[s], alone[s - 1]
                if got != want:
                    failures += 1
                    first = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
                    print(f"seed {seed}, session {s}, line {first}:\n  together: {got[first:first + 1]}\n"
                          f"  alone:    {want[first:first + 1]}")
            print(f"seed {seed}: {args.sessions} sessions, {sum(len(a) for a in alone)} lines compared")
    print(f"{args.rounds * args.sessions - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
