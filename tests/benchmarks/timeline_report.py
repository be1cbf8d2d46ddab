#!/usr/bin/env python3
"""The timeline of whole installations, from the marks Setup, its worker and the driver wrote
(one file per run, lines "MICROSECONDS PID TID begin|end|at NAME"), beside the floors measured in
the same runs (lines "floor NAME SECONDS" and the apply-steps benchmark's "raw NAME SECONDS").

  timeline_report.py FLOORS_FILE RUN_FILE...

Every phase is printed in the order it starts, indented under the phase of the same thread it runs
in, with its start after the click on Install and its length, medians over the runs. The progress
window's paints and timer ticks are summed instead. The phases that have a floor are compared
with it at the end, and the whole run with the sum of the floors."""

import collections
import statistics
import sys

REPEATED = ("progress window: paint", "progress window: timer")


def read_run(path):
    """Phases as (key, start, length, depth) in seconds after Install was clicked, and the totals
    of the repeated phases."""
    lines = []
    with open(path, encoding="utf-8", errors="replace") as f:
        for raw in f:
            parts = raw.rstrip("\r\n").split(" ", 4)
            if len(parts) == 5:
                lines.append((int(parts[0]), parts[1], parts[2], parts[3], parts[4]))
    lines.sort(key=lambda line: line[0])
    clicked = next((t for t, _, _, kind, name in lines if name == "Install clicked"), None)
    if clicked is None:
        # A mark can go missing when several processes append to the file at once (seen under
        # Wine); a run without its zero cannot be placed, and the others still count.
        print(f"{path}: no click on Install; run left out", file=sys.stderr)
        return None
    stacks = collections.defaultdict(list)
    seen = collections.Counter()
    phases = []
    repeated = collections.defaultdict(lambda: [0, 0.0, 0.0])  # count, total, longest
    for t, pid, tid, kind, name in lines:
        at = (t - clicked) / 1e6
        if name in REPEATED:
            if kind == "begin":
                stacks[(pid, tid, name)].append(at)
            elif kind == "end" and stacks[(pid, tid, name)]:
                length = at - stacks[(pid, tid, name)].pop()
                entry = repeated[name]
                entry[0] += 1
                entry[1] += length
                entry[2] = max(entry[2], length)
            continue
        stack = stacks[(pid, tid)]
        if kind == "begin":
            path_name = " / ".join([frame[1] for frame in stack] + [name])
            seen[path_name] += 1
            key = path_name if seen[path_name] == 1 else f"{path_name} #{seen[path_name]}"
            stack.append((key, name, at, len(phases)))
            phases.append([key, at, None, len(stack) - 1])
        elif kind == "end":
            if stack and stack[-1][1] == name:
                _, _, start, index = stack.pop()
                phases[index][2] = at - start
        else:
            seen[name] += 1
            key = name if seen[name] == 1 else f"{name} #{seen[name]}"
            phases.append([key, at, 0.0, 0])
    return phases, repeated


def read_floors(path):
    floors = collections.defaultdict(list)
    raw = collections.defaultdict(list)
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3 and parts[0] == "floor":
                floors[parts[1]].append(float(parts[2]))
            elif parts[:3] == ["step", "service", "installer"]:
                floors["installer"].append(float(parts[-1]))
            elif len(parts) >= 3 and parts[0] == "raw":
                raw[" ".join(parts[1:-1])].append(float(parts[-1]))
    return floors, raw


def median(values):
    return statistics.median(values) if values else float("nan")


def main():
    floors_file, run_files = sys.argv[1], sys.argv[2:]
    runs = [run for run in map(read_run, run_files) if run is not None]
    order = []
    starts = collections.defaultdict(list)
    lengths = collections.defaultdict(list)
    depth = {}
    for phases, _ in runs:
        for key, start, length, level in phases:
            if key not in depth:
                order.append(key)
                depth[key] = level
            starts[key].append(start)
            if length is not None:
                lengths[key].append(length)
    order.sort(key=lambda key: median(starts[key]))

    print(f"Timeline of {len(runs)} installations through the wizard (medians, seconds after "
          "the click on Install):")
    print(f"  {'start':>7} {'length':>7}  phase")
    for key in order:
        length = f"{median(lengths[key]):7.3f}" if lengths[key] else "      -"
        print(f"  {median(starts[key]):7.3f} {length}  {'  ' * depth[key]}{key}")

    print("The progress window's own work during the run (medians of per-run totals):")
    for name in REPEATED:
        counts = [r[name][0] for _, r in runs]
        totals = [r[name][1] for _, r in runs]
        longest = [r[name][2] for _, r in runs]
        print(f"  {name}: {median(counts):.0f} times, {median(totals):.3f} s in all, "
              f"longest {median(longest) * 1000:.1f} ms")

    floors, raw = read_floors(floors_file)

    def phase(key):
        return median(lengths.get(key, []))

    def between(first, last):
        """From the start of `first` to the end of `last`, per run."""
        values = []
        for phases, _ in runs:
            found = {key: (start, length) for key, start, length, _ in phases}
            if first in found and last in found and found[last][1] is not None:
                values.append(found[last][0] + found[last][1] - found[first][0])
        return median(values)

    def gap(first, then):
        """From the end of `first` to the start of `then`, per run."""
        values = []
        for phases, _ in runs:
            found = {key: (start, length) for key, start, length, _ in phases}
            if first in found and then in found and found[first][1] is not None:
                values.append(found[then][0] - found[first][0] - found[first][1])
        return median(values)

    files = sorted({key for key in order if key.startswith("file ") and " / " not in key})
    download = between("metadata fetched", files[-1]) if files else float("nan")
    installer = median(floors["installer"]) if floors["installer"] else 0.0
    raw_total = median([sum(values) for values in zip(*raw.values())]) if raw else float("nan")
    rows = [
        ("download: metadata and files, written, flushed, read back", download,
         median(floors["download"]), "Wine's WinHTTP, the same requests, flush and SHA-256"),
        ("worker: started through the shell and awaited", phase("worker awaited") +
         phase("elevation asked"), median(floors["elevated"]) + raw_total + installer,
         "one start through \"runas\" + the worker's raw passes + the service installer alone"),
        ("success dialog: asked for until shown", between("success dialog asked for",
                                                          "dialog shown"),
         median(floors["task-dialog"]), "one task dialog"),
        ("first launch", phase("first launch"), median(floors["process"]),
         "one process created and ended"),
        ("wizard closed after the click", median(starts["wizard closed"]),
         median(floors["window-closed"]), "one top-level window destroyed"),
        ("progress window closed after the last step", gap("stage removed",
                                                           "success dialog asked for"),
         median(floors["window-closed"]), "one top-level window destroyed"),
    ]
    print("Phases beside their floors (medians):")
    for name, measured, floor, what in rows:
        print(f"  {name}: {measured:.3f} s, floor {floor:.3f} s ({what}), "
              f"{measured / floor:.2f}x")
    whole = median([next((s for k, s, _, _ in phases if k == "dialog shown"), float("nan"))
                     for phases, _ in runs])
    total_floor = (median(floors["download"]) + median(floors["elevated"]) + raw_total + installer +
                   median(floors["task-dialog"]) + median(floors["process"]))
    print(f"Install to the success dialog: {whole:.3f} s; sum of the floors {total_floor:.3f} s: "
          f"{whole / total_floor:.2f}x")
    closing = 2 * median(floors["window-closed"])
    print(f"  with Wine's two window closings ({closing:.3f} s) among the floors: "
          f"{whole / (total_floor + closing):.2f}x")


if __name__ == "__main__":
    main()
