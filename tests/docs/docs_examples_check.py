#!/usr/bin/python3
"""The reference in docs/ says what the plug-in does.

1. Every ```calc block of docs/*.md runs through zylo-host, in a session of
   its own on a fresh copy of examples/calendars (TZ=Europe/Berlin,
   ZYLO_OS_VERSION=10.8, no index): each line is a calculation, a line
   starting with "→" the answer the calculation before it must give, as
   zylo-host prints it (¶ for a carriage return, dates YYYY-MM-DD,
   timestamps YYYY-MM-DD HH:MM:SS, "→" alone for an empty answer); "…" in
   an answer stands for any text. Lines starting with "//" are comments.
2. Every name the plug-in knows appears in docs/ exactly as the code spells
   it: the functions and their prototypes (plugin/Zylo.strings), the
   keywords of the function and property tables (calendar/, functions/,
   plugin/), the attendee statuses the store reads, and every error code
   with its text, and every reason the store gives for a refused change, in
   docs/errors.md.

usage: docs_examples_check.py ZYLO_HOST SOURCE_DIR
"""

import concurrent.futures
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

ARROW = "→"


def calc_blocks(page):
    """(line of the fence, [(line, calculation, expected answer or None)]) per ```calc block."""
    blocks, block, start = [], None, 0
    for number, line in enumerate(page.read_text(encoding="utf-8").splitlines(), 1):
        stripped = line.strip()
        if block is None:
            if stripped == "```calc":
                block, start = [], number
            continue
        if stripped == "```":
            blocks.append((start, block))
            block = None
        elif stripped.startswith(ARROW):
            if not block or block[-1][2] is not None:
                raise SystemExit(f"{page.name}:{number}: an answer without its calculation")
            line_no, calc, _ = block[-1]
            block[-1] = (line_no, calc, stripped[len(ARROW):].strip())
        elif stripped and not stripped.startswith("//"):
            block.append((number, stripped, None))
    if block is not None:
        raise SystemExit(f"{page.name}:{start}: a calc block without its closing fence")
    return blocks


def shown(value):
    """An answer as the docs write it."""
    return value.replace("\r", "¶")


def matches(expected, actual):
    if "…" not in expected:
        return expected == actual
    pattern = ".*".join(re.escape(piece) for piece in expected.split("…"))
    return re.fullmatch(pattern, actual, re.DOTALL) is not None


def run_block(host, calendars, page, start, block):
    """The failures of one block, as lines naming page, block and line."""
    with tempfile.TemporaryDirectory() as folder:
        store = pathlib.Path(folder) / "calendars"
        shutil.copytree(calendars, store)
        env = dict(os.environ, TZ="Europe/Berlin", ZYLO_OS_VERSION="10.8", ZYLO_STORE_INDEX="off",
                   HOME=folder, XDG_DATA_HOME=folder, XDG_CACHE_HOME=folder,
                   ZYLO_CONFIG=str(pathlib.Path(folder) / "none.conf"))
        env.pop("ZYLO_CALENDARS", None)
        run = subprocess.run([host, "--json", "--calendars", str(store), "eval"] + [c for _, c, _ in block],
                             capture_output=True, text=True, env=env, timeout=60)
    where = f"{page}, block at line {start}"
    answers = [json.loads(line) for line in run.stdout.splitlines()]
    if run.returncode != 0 or len(answers) != len(block):
        return [f"{where}: zylo-host exited {run.returncode}: {run.stderr.strip()}"]
    failures = []
    for (line, calc, expected), answer in zip(block, answers):
        actual = shown(answer.get("value", ""))
        if expected is not None and not matches(expected, actual):
            failures.append(f"{where}, line {line}: {calc}\n    expected {ARROW} {expected}\n    answered {ARROW} {actual}")
    return failures


def check_examples(host, source):
    calendars = source / "examples" / "calendars"
    jobs = [(page.name, start, block) for page in sorted((source / "docs").glob("*.md"))
            for start, block in calc_blocks(page) if block]
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        results = pool.map(lambda job: run_block(host, calendars, *job), jobs)
        failures = [f for result in results for f in result]
    return len(jobs), failures


def literals(files, pattern):
    found = set()
    for f in files:
        found.update(re.findall(pattern, f.read_text(encoding="utf-8")))
    return found


def check_names(source):
    """What the code knows that docs/ does not name as the code spells it."""
    docs = "\n".join(p.read_text(encoding="utf-8") for p in sorted((source / "docs").glob("*.md")))
    functions_page = (source / "docs" / "functions.md").read_text(encoding="utf-8")
    errors_page = (source / "docs" / "errors.md").read_text(encoding="utf-8")
    missing = []

    prototypes = re.findall(r'"Zylo \d+" = "(Zylo_.*)";', (source / "plugin" / "Zylo.strings").read_text(encoding="utf-8"))
    for prototype in prototypes:
        name = re.match(r"Zylo_\w+", prototype).group(0)
        if not re.search(rf"^## {name}\s*$", functions_page, re.MULTILINE):
            missing.append(f"functions.md has no section \"## {name}\"")
        if prototype not in functions_page:
            missing.append(f"functions.md does not show the prototype {prototype}")

    code = [source / d / f for d in ("calendar", "functions", "plugin") for f in os.listdir(source / d)
            if f.endswith(".cc")]
    keywords = literals(code, r'u"([a-z][a-z ]*)"')
    keywords |= {w.lower() for w in literals(code, r'L"([A-Z]+)"')}
    keywords |= literals([source / "platform" / "calendarstore" / "item_reader.cc"],
                         r'case ICAL_PARTSTAT_\w+: return u"([a-z ]+)"')
    for keyword in sorted(keywords):
        if f'"{keyword}"' not in docs and f"`{keyword}`" not in docs:
            missing.append(f"docs/ never names the keyword \"{keyword}\"")

    header = (source / "errors" / "error_codes.h").read_text(encoding="utf-8")
    codes = dict(re.findall(r"(k\w+) = (-?\d+),", header))
    texts = dict(re.findall(r'\{(k\w+), u"([^"]*)"\}', (source / "errors" / "error_codes.cc").read_text(encoding="utf-8")))
    for name, code in codes.items():
        row = re.search(rf"^\|\s*{re.escape(code)}\s*\|.*$", errors_page, re.MULTILINE)
        if not row:
            missing.append(f"errors.md has no row for code {code}")
        elif name in texts and texts[name] not in row.group(0):
            missing.append(f"errors.md's row for {code} does not give its text \"{texts[name]}\"")

    store = source / "platform" / "calendarstore"
    reasons = literals([store / "vdir_event_writes.cc", store / "vdir_store_writes.cc", store / "write_support.cc",
                        store / "occurrence_expander.cc", source / "notify" / "notification_listener.cc"],
                       r'u"([A-Z][^"]*(?:\.|could not be (?:saved|removed)))"')
    for reason in sorted(reasons):
        if reason not in errors_page:
            missing.append(f"errors.md does not give the reason \"{reason}\"")
    return missing


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    host, source = sys.argv[1], pathlib.Path(sys.argv[2]).resolve()
    count, failures = check_examples(host, source)
    failures += check_names(source)
    for failure in failures:
        print(failure)
    print(f"{count} example blocks; {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
