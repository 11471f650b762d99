"""zylo-host as the Python checks drive it: a fresh process per call, its
answers as the JSON objects `--json` prints."""

import json
import os
import subprocess


class Host:
    def __init__(self, exe, calendars, zone="Europe/Berlin", index=None):
        # The store's index in a hidden folder of the calendars (or `index`),
        # unless the suite runs without one.
        self.exe, self.calendars, self.zone = exe, calendars, zone
        self.index = "off" if os.environ.get("ZYLO_STORE_INDEX") == "off" else str(index or f"{calendars}/.index")

    def run(self, args, zone=None):
        env = dict(os.environ, TZ=zone or self.zone, ZYLO_OS_VERSION="10.8", ZYLO_STORE_INDEX=self.index)
        # A call that hangs is a fault of its own, not a test that never ends.
        done = subprocess.run([self.exe, "--json", "--calendars", str(self.calendars), *args], env=env,
                              capture_output=True, text=True, check=False, timeout=300)
        if done.returncode != 0:
            raise AssertionError(f"zylo-host {args[:2]} failed ({done.returncode}): {done.stderr}")
        return done.stdout

    def answers(self, *calculations, zone=None):
        """Each calculation's answer, as its JSON object, in one session."""
        return [json.loads(line) for line in self.run(["eval", *calculations], zone).splitlines()]

    def values(self, *calculations, zone=None):
        """Each calculation's answer as text; empty for an empty answer."""
        return [answer.get("value", "") for answer in self.answers(*calculations, zone=zone)]
