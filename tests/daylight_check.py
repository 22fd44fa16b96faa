#!/usr/bin/env python3
"""Compares the local time the program shows for every place with the IANA
time zone database, around each daylight-saving change of 2027 and 2028 and
far from them, with the device itself in several zones.

Usage: daylight_check.py PROBE SOURCE_DIR [--report]

PROBE is the local_time_probe program (it prints the text Country Info shows
for "INSTANT<TAB>PLACE" lines); SOURCE_DIR holds data/. Each place's IANA zone
comes from data/place-zones.tsv. A place-change counts as right when the
program's text is right one minute before and one minute after it. Instants
six hours or more from every change of a place must all be right, except for
the places whose dates the zone records cannot express (data/SOURCES.md).
With --report the figures are printed and the run does not fail.
"""

import datetime as dt
import os
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from zoneinfo import ZoneInfo

YEARS = (2027, 2028)
DEVICE_ZONES = ("UTC", "Pacific/Auckland", "America/Los_Angeles")
# Places with no permanent population of their own.
UNINHABITED = {"Jan Mayen"}
# Places whose changes the records put on other days than the IANA database.
RECORD_CANNOT_EXPRESS = {"Morocco", "Western Sahara", "Gaza Strip", "West Bank", "Israel"}
# Of the 256 changes of inhabited places, at least this many right to the
# minute; all but those of the places above.
MIN_RIGHT_CHANGES = 245
FAR = dt.timedelta(hours=6)
MINUTE = dt.timedelta(minutes=1)
DAYS = ("Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun")


def shown(zone, instant):
    """The program's format of the local time: "Sun 3/28 1:59 AM"."""
    local = instant.astimezone(zone)
    hour = local.hour % 12 or 12
    suffix = "AM" if local.hour < 12 else "PM"
    return f"{DAYS[local.weekday()]} {local.month}/{local.day} {hour}:{local.minute:02d} {suffix}"


def changes(zone):
    """The instants of 2027 and 2028 at which the zone's offset changes."""
    found = []
    start = dt.datetime(YEARS[0], 1, 1, tzinfo=dt.timezone.utc)
    days = (dt.datetime(YEARS[-1] + 1, 1, 1, tzinfo=dt.timezone.utc) - start).days
    previous = start
    for day in range(1, days + 1):
        now = start + dt.timedelta(days=day)
        if now.astimezone(zone).utcoffset() != previous.astimezone(zone).utcoffset():
            low, high = previous, now
            while high - low > MINUTE:
                middle = low + (high - low) / 2
                middle = middle.replace(second=0, microsecond=0)
                if middle <= low:
                    middle = low + MINUTE
                if middle.astimezone(zone).utcoffset() == low.astimezone(zone).utcoffset():
                    low = middle
                else:
                    high = middle
            found.append(high)
        previous = now
    return found


def far_instants(place_changes):
    """Instants every 173 hours through both years, and 6, 12 and 30 hours
    either side of each change, that lie six hours or more from every change."""
    start = dt.datetime(YEARS[0], 1, 1, 0, 7, tzinfo=dt.timezone.utc)
    end = dt.datetime(YEARS[-1] + 1, 1, 1, tzinfo=dt.timezone.utc)
    instants = []
    t = start
    while t < end:
        instants.append(t)
        t += dt.timedelta(hours=173)
    for change in place_changes:
        for hours in (6, 12, 30):
            instants += [change - dt.timedelta(hours=hours), change + dt.timedelta(hours=hours)]
    return sorted(t for t in set(instants) if all(abs(t - c) >= FAR for c in place_changes))


def main():
    args = [a for a in sys.argv[1:] if a != "--report"]
    report_only = "--report" in sys.argv[1:]
    if len(args) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    probe, source = args
    places = []
    with open(os.path.join(source, "data", "place-zones.tsv"), encoding="utf-8") as tsv:
        for line in tsv:
            fields = line.rstrip("\n").split("\t")
            places.append((fields[0], ZoneInfo(fields[2])))

    # (place, instant, expected text, kind): kind is the change's index in
    # `change_list` for instants next to a change, None for far ones.
    queries = []
    change_list = []
    for place, zone in places:
        place_changes = changes(zone)
        for change in place_changes:
            index = len(change_list)
            change_list.append((place, change))
            for t in (change - MINUTE, change + MINUTE):
                queries.append((place, t, shown(zone, t), index))
        for t in far_instants(place_changes):
            queries.append((place, t, shown(zone, t), None))
    text = "".join(f"{t.strftime('%Y-%m-%dT%H:%M:%SZ')}\t{place}\n" for place, t, _, _ in queries)

    def run_probe(device_zone):
        return subprocess.run([probe, os.path.join(source, "data")], input=text,
                              env=dict(os.environ, TZ=device_zone), capture_output=True,
                              text=True, check=False)

    # The runs go side by side.
    with ThreadPoolExecutor(len(DEVICE_ZONES)) as pool:
        runs = dict(zip(DEVICE_ZONES, pool.map(run_probe, DEVICE_ZONES)))

    failed = False
    for device_zone in DEVICE_ZONES:
        run = runs[device_zone]
        answers = run.stdout.splitlines()
        if run.returncode != 0 or len(answers) != len(queries):
            print(f"TZ={device_zone}: the probe failed ({run.returncode}): {run.stderr}")
            return 1
        wrong_changes = set()
        far_total = 0
        far_wrong = {}
        for (place, t, expected, kind), answer in zip(queries, answers):
            if kind is not None:
                if answer != expected:
                    wrong_changes.add(kind)
                continue
            far_total += 1
            if answer != expected:
                far_wrong.setdefault(place, []).append(t)
        inhabited = [i for i, (place, _) in enumerate(change_list) if place not in UNINHABITED]
        right = sum(1 for i in inhabited if i not in wrong_changes)
        far_right = far_total - sum(len(v) for v in far_wrong.values())
        print(f"TZ={device_zone}: {right} of {len(inhabited)} changes of inhabited places right "
              f"to the minute ({len(change_list) - len(wrong_changes)} of {len(change_list)} "
              f"with all places); {far_right} of {far_total} instants 6 h or more from a change right")
        for i in sorted(wrong_changes):
            place, change = change_list[i]
            print(f"  change wrong: {place} at {change.strftime('%Y-%m-%dT%H:%MZ')}")
        for place, instants in sorted(far_wrong.items()):
            days = sorted({t.strftime("%Y-%m-%d") for t in instants})
            print(f"  far from a change wrong: {place} on {len(days)} days: {', '.join(days)}")
        unexpected = set(far_wrong) - RECORD_CANNOT_EXPRESS
        if right < MIN_RIGHT_CHANGES or unexpected:
            failed = True
            print(f"  FAILED: fewer than {MIN_RIGHT_CHANGES} changes right, or wrong far from a "
                  f"change: {', '.join(sorted(unexpected))}")
    return 1 if failed and not report_only else 0


if __name__ == "__main__":
    sys.exit(main())
