#!/usr/bin/python3
"""The worked scripts of docs/recipes.md print what the page says they print.

The page shows each script of examples/recipes/ in a ```fmscript block, and
configuration files in ```ini blocks, right after a line naming the file
under examples/; the block must be the file's text. A ```sh block that
calls zylo-host is a run: it runs in bash in a fresh folder
holding a copy of examples/calendars as `calendars` and of examples/recipes
as `examples/recipes`, with zylo-host on the PATH, the zone Europe/Berlin
and the clock at Wednesday 9 December 2026, 09:00 (faketime); what it
prints must be the next ```text block, line by line. Lines marked "[ID] "
(run --parallel) are compared per session, as sessions interleave freely.
Every script file must be shown and run.

usage: recipes_check.py ZYLO_HOST SOURCE_DIR
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

NOW = "2026-12-09 09:00:00"
FENCE = re.compile(r"^```(\S*)\s*$")
SCRIPT_FILE = re.compile(r"examples/recipes/([\w.-]+\.fmscript)")
SHOWN_FILE = re.compile(r"examples/((?:recipes|server|systemd)/[\w.-]+)")
FILE_BLOCKS = ("fmscript", "ini")


class Block:
    def __init__(self, info, lines, heading, before):
        self.info, self.lines, self.heading, self.before = info, lines, heading, before


def blocks(page):
    """The page's fenced blocks, each with its section's heading and the last prose line above it."""
    found, heading, before, lines = [], "", "", iter(page.splitlines())
    for line in lines:
        fence = FENCE.match(line)
        if not fence:
            if line.startswith("#"):
                heading = line.lstrip("#").strip()
            if line.strip():
                before = line
            continue
        body = []
        for inner in lines:
            if inner.startswith("```"):
                break
            body.append(inner)
        found.append(Block(fence.group(1), body, heading, before))
        before = ""
    return found


def sessions(lines):
    """The lines grouped by their "[ID] " mark when every line has one, else as they are."""
    marked = [re.match(r"^\[(\d+)\] (.*)$", line) for line in lines]
    if not lines or not all(marked):
        return {"": lines}
    grouped = {}
    for m in marked:
        grouped.setdefault(m.group(1), []).append(m.group(2))
    return grouped


def first_difference(got, want, names=("printed", "page")):
    """A description of the first line where `got` differs from `want`, or None."""
    got, want = sessions(got), sessions(want)
    for session in sorted(set(got) | set(want)):
        g, w = got.get(session, []), want.get(session, [])
        for n in range(max(len(g), len(w))):
            a = g[n] if n < len(g) else "(no more lines)"
            b = w[n] if n < len(w) else "(no more lines)"
            if a != b:
                where = f"session {session}, line {n + 1}" if session else f"line {n + 1}"
                width = max(map(len, names)) + 1
                return f"{where}:\n  {names[0] + ':':{width}} {a}\n  {names[1] + ':':{width}} {b}"
    return None


def run(commands, host, source, temp):
    """What bash prints running `commands` in a fresh folder."""
    folder = pathlib.Path(tempfile.mkdtemp(dir=temp))
    shutil.copytree(source / "examples" / "calendars", folder / "calendars")
    shutil.copytree(source / "examples" / "recipes", folder / "examples" / "recipes")
    (folder / "bin").mkdir()
    (folder / "home").mkdir()
    # The machine's /etc/zylo/zylo.conf has no say in the run.
    (folder / "zylo.conf").write_text("")
    wrapper = folder / "bin" / "zylo-host"
    wrapper.write_text(f"#!/bin/sh\nexec faketime '{NOW}' '{host}' \"$@\"\n")
    wrapper.chmod(0o755)
    index = os.environ.get("ZYLO_STORE_INDEX")
    env = {
        "PATH": f"{folder / 'bin'}:/usr/bin:/bin",
        "HOME": str(folder / "home"),
        "TZ": "Europe/Berlin",
        "ZYLO_OS_VERSION": "10.8",
        "ZYLO_CONFIG": str(folder / "zylo.conf"),
        "ZYLO_STORE_INDEX": "off" if index == "off" else str(folder / "index"),
        # faketime preloads its library ahead of a sanitizer's runtime.
        "ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0",
    }
    for name in ("UBSAN_OPTIONS", "LSAN_OPTIONS"):
        if name in os.environ:
            env[name] = os.environ[name]
    return subprocess.run(["bash", "-e", "-c", "\n".join(commands)], cwd=folder, env=env,
                          capture_output=True, text=True, timeout=120)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    host, source = os.path.abspath(sys.argv[1]), pathlib.Path(sys.argv[2]).resolve()
    if not shutil.which("faketime"):
        sys.exit("faketime is not installed (scripts/install-deps installs it)")
    page = blocks((source / "docs" / "recipes.md").read_text())
    failures, shown, ran, runs = [], set(), set(), 0
    started = time.monotonic()

    for block in page:
        if block.info not in FILE_BLOCKS:
            continue
        named = SHOWN_FILE.findall(block.before)
        if len(named) != 1:
            failures.append(f"{block.heading}: a ```{block.info} block without one file named on the line above")
            continue
        path = source / "examples" / named[0]
        if block.info == "fmscript":
            shown.add(path.name)
        if not path.is_file():
            failures.append(f"{block.heading}: shows examples/{named[0]}, which is not there")
            continue
        difference = first_difference(block.lines, path.read_text().splitlines(), ("page", "file"))
        if difference:
            failures.append(f"{block.heading}: the page's examples/{named[0]} is not the file's text, {difference}")

    with tempfile.TemporaryDirectory(prefix="zylo-recipes-") as temp:
        for i, block in enumerate(page):
            if block.info != "sh" or not any(re.search(r"(^|\s)zylo-host\s", line) for line in block.lines):
                continue
            label = f"{block.heading} ({', '.join(SCRIPT_FILE.findall(chr(10).join(block.lines)))})"
            output = page[i + 1] if i + 1 < len(page) else None
            if output is None or output.info != "text":
                failures.append(f"{label}: a run without a ```text block of what it prints after it")
                continue
            ran.update(SCRIPT_FILE.findall("\n".join(block.lines)))
            runs += 1
            done = run(block.lines, host, source, temp)
            if done.returncode != 0 or done.stderr:
                failures.append(f"{label}: the run exited {done.returncode}:\n{done.stderr}")
                continue
            printed = [line.rstrip() for line in done.stdout.splitlines()]
            difference = first_difference(printed, [line.rstrip() for line in output.lines])
            if difference:
                failures.append(f"{label}: {difference}")

    for path in sorted((source / "examples" / "recipes").glob("*.fmscript")):
        if path.name not in shown:
            failures.append(f"{path.name}: not shown on the page")
        if path.name not in ran:
            failures.append(f"{path.name}: not run on the page")
    for failure in failures:
        print(failure)
    print(f"{runs} runs, {len(shown)} scripts shown, {len(failures)} failures, "
          f"{time.monotonic() - started:.1f} s")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
