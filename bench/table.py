#!/usr/bin/env python3
"""Prints the figures of bench/figures.tsv from Google Benchmark JSON files.

Usage: table.py FIGURES_TSV JSON_DIR

JSON_DIR holds one EXECUTABLE.json per benchmark executable. Where a
benchmark ran repetitions, its median is read; the "meets" column compares
the wall-clock time (or the counter) with the target, and says when only the
CPU time meets it (a machine busy with other work). An executable written
"?NAME" in FIGURES_TSV is optional: when JSON_DIR has no NAME.json its rows
say "not measured". Exits 1 when any other figure is missing from the
results, 0 otherwise (a missed target is reported, not an error).
"""

import json
import os
import re
import sys

SCALE = {"ns": 1e-9, "us": 1e-6, "µs": 1e-6, "ms": 1e-3, "s": 1.0, "MB": 1.0}


def load_results(json_dir, executable):
    path = os.path.join(json_dir, executable + ".json")
    try:
        with open(path, encoding="utf-8") as f:
            return json.load(f).get("benchmarks", [])
    except (OSError, ValueError):
        return None


def run_name_of(entry):
    """The entry's run name without the "/repeats:N" that a benchmark's own
    repetition count adds."""
    name = entry.get("run_name", entry.get("name"))
    return re.sub(r"/repeats:\d+$", "", name)


def pick(results, run_name):
    """The median entry of run_name, else the middle one of its plain entries."""
    plain = []
    for entry in results:
        if run_name_of(entry) != run_name:
            continue
        if entry.get("error_occurred"):
            return entry
        if entry.get("run_type") == "aggregate":
            if entry.get("aggregate_name") == "median":
                return entry
        else:
            plain.append(entry)
    return plain[-1] if len(plain) == 1 else (plain[len(plain) // 2] if plain else None)


def seconds(entry, key):
    return entry[key] * SCALE[entry.get("time_unit", "ns")]


def show_time(value):
    for unit, factor in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if value >= factor:
            return f"{value / factor:.3g} {unit}"
    return f"{value / 1e-9:.3g} ns"


def parse_target(text):
    if text == "no target":
        return None
    _, number, unit = text.split()
    return float(number) * SCALE[unit], unit


def main():
    figures_path, json_dir = sys.argv[1], sys.argv[2]
    rows, missing = [], False
    with open(figures_path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            figure, executable, run_name, what, target_text = line.split("\t")
            optional = executable.startswith("?")
            executable = executable.lstrip("?")
            target = parse_target(target_text)
            results = load_results(json_dir, executable)
            entry = pick(results, run_name) if results is not None else None
            shown_target = target_text.replace(" us", " µs")
            if optional and results is None:
                rows.append((figure, "not measured", "", shown_target, "-"))
                continue
            if entry is None or entry.get("error_occurred"):
                why = entry.get("error_message", "failed") if entry else "not run"
                rows.append((figure, why, "", shown_target, "no"))
                missing = True
                continue
            cpu = None
            if what == "time" or what.startswith("wall"):
                measured = seconds(entry, "real_time")
                # A whole process is timed by the wall clock; its CPU time
                # comes from a counter, since the benchmark's own is only the
                # waiting.
                if what == "time":
                    cpu = seconds(entry, "cpu_time")
                elif ":" in what:
                    cpu = entry.get(what.split(":", 1)[1])
                shown = show_time(measured)
                shown_cpu = "" if cpu is None else show_time(cpu)
            else:
                measured = entry.get(what)
                if measured is None:
                    rows.append((figure, f"no counter {what}", "", shown_target, "no"))
                    missing = True
                    continue
                # Counters ending in _s are seconds; the others megabytes.
                shown = show_time(measured) if what.endswith("_s") else f"{measured:.1f} MB"
                shown_cpu = ""
            if target is None:
                meets = "-"
            elif measured < target[0]:
                meets = "yes"
            else:
                # Other work on the machine lengthens the wall time only.
                meets = "no (CPU yes)" if cpu is not None and cpu < target[0] else "no"
            rows.append((figure, shown, shown_cpu, shown_target, meets))

    header = ("Figure", "Measured (wall)", "CPU", "Target", "Meets")
    widths = [max(len(r[i]) for r in rows + [header]) for i in range(len(header))]
    rule = "|" + "|".join("-" * (w + 2) for w in widths) + "|"
    for i, row in enumerate([header] + rows):
        print("| " + " | ".join(cell.ljust(w) for cell, w in zip(row, widths)) + " |")
        if i == 0:
            print(rule)
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
