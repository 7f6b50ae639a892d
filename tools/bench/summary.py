#!/usr/bin/env python3
"""The benchmark's table: reads the JSON lines of tools/bench/measure.py and prints, per figure,
median and min-max over the runs of the bare player and of the saver, their ratio and the goal.

    summary.py results.jsonl

Exits 1 when the reference (the bare player) has no complete run, 0 otherwise, whatever the
saver's figures are.
"""

import json
import os
import statistics
import sys

VIDEO_PER = 20  # the figures for playback are given per this many seconds of video


def per_video(run, key):
    part = run.get("video")
    if not part or part.get(key) is None:
        return None
    return part[key] / part["seconds"] * VIDEO_PER


def logo(run, key, percent=False):
    part = run.get("logo")
    if not part or part.get(key) is None:
        return None
    return part[key] / part["seconds"] * 100 if percent else part[key]


# Each row: title, how to get it from one run, digits, goal as (kind, limit) or None.
ROWS = [
    ("start-up to first frame, s", lambda r: r.get("startup_s"), 2, ("ratio", 1.05)),
    ("  CPU to first frame, s", lambda r: (r.get("startup_cpu") or {}).get("program"), 2, None),
    (f"video: CPU s per {VIDEO_PER} s", lambda r: per_video(r, "program"), 2, ("ratio", 1.05)),
    (f"  wineserver CPU s per {VIDEO_PER} s", lambda r: per_video(r, "wineserver"), 2, None),
    (f"  X server CPU s per {VIDEO_PER} s", lambda r: per_video(r, "x_server"), 2, None),
    ("logo phase: CPU s", lambda r: logo(r, "program"), 3, None),
    ("  % of one core", lambda r: logo(r, "program", True), 2, ("below", 1.0)),
    ("  wineserver % of one core", lambda r: logo(r, "wineserver", True), 2, None),
    ("  logo on screen until the video is back, s", lambda r: r.get("logo_seen_s"), 2, None),
    ("peak memory (VmHWM), MiB",
     lambda r: r["peak_kib"] / 1024 if r.get("peak_kib") else None, 1, ("ratio", 1.10)),
    ("other load on the machine, cores",
     lambda r: (r.get("video") or {}).get("others_cores"), 2, None),
]


def describe(values, digits):
    if not values:
        return "n/a", None
    median = statistics.median(values)
    text = f"{median:.{digits}f} ({min(values):.{digits}f}-{max(values):.{digits}f})"
    return text, median


def relative_range(values):
    """Run-to-run noise: the range as a share of the median."""
    if len(values) < 2 or not statistics.median(values):
        return 0.0
    return (max(values) - min(values)) / statistics.median(values)


def spread(values):
    return f"{relative_range(values) * 100:.0f}%" if len(values) > 1 else ""


def verdict(goal, bare, show, show_played):
    if goal is None or not show:
        return "", ""
    if not show_played:
        # A show that never played its clip is cheap for the wrong reason.
        return "", "n/a (the show played no video)"
    kind, limit = goal
    if kind == "below":
        median = statistics.median(show)
        return f"< {limit:g} %", "met" if median < limit else "NOT met"
    if not bare:
        return f"<= {limit:.2f}x", "n/a"
    ratio = statistics.median(show) / statistics.median(bare)
    if ratio <= limit:
        # Runs that scatter more than the margin allowed cannot confirm it.
        noisy = any(relative_range(v) > limit - 1 for v in (bare, show))
        return f"<= {limit:.2f}x", "met (noisy)" if noisy else "met"
    # Over the goal, but the ranges overlap: the runs do not tell the two apart.
    if min(show) <= max(bare):
        return f"<= {limit:.2f}x", "NOT met (ranges overlap)"
    return f"<= {limit:.2f}x", "NOT met"


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1]) as f:
        runs = [json.loads(line) for line in f if line.strip()]
    bare = [r for r in runs if r["label"] == "bare"]
    show = [r for r in runs if r["label"] == "show"]
    first = runs[0] if runs else {}

    print(f"Runs: {len(bare)} of the bare player, {len(show)} of the saver (torva.scr /s), "
          f"alternating; screen {first.get('screen', '?')}, {os.cpu_count()} cores.")
    print(f"First frame: the centre 32x32 pixels of the screen, read with XGetImage every "
          f"{first.get('poll_ms', '?'):g} ms from the launch of wine64, until their mean "
          f"brightness passes 40/255; resolution about one read interval.")
    print(f"CPU: user+system of the program's Wine process from /proc/<pid>/stat (10 ms ticks); "
          f"wineserver and X server likewise, over the same windows. Video: over the window "
          f"starting 1 s after the first frame, scaled to {VIDEO_PER} s. Logo: a window inside "
          f"the logo phase, found as the top-left corner turning black.")
    print("Verdict on the ratio of the medians. \"noisy\": the runs of one program scatter more "
          "than the goal's margin, so more runs would be needed to confirm it. \"ranges overlap\": "
          "over the goal, but the runs do not tell the two programs apart.")
    print()

    header = (f"{'figure':44} {'bare: median (min-max)':26} {'noise':>5}  "
              f"{'torva: median (min-max)':26} {'noise':>5}  {'torva/bare':>10}  "
              f"{'goal':10} verdict")
    print(header)
    print("-" * len(header))
    for title, get, digits, goal in ROWS:
        b = [v for v in (get(r) for r in bare) if v is not None]
        s = [v for v in (get(r) for r in show) if v is not None]
        b_text, b_median = describe(b, digits)
        s_text, s_median = describe(s, digits)
        ratio = f"{s_median / b_median:.3f}" if b_median and s_median is not None else ""
        goal_text, result = verdict(goal, b, s, any(r.get("video") for r in show))
        print(f"{title:44} {b_text:26} {spread(b):>5}  {s_text:26} {spread(s):>5}  "
              f"{ratio:>10}  {goal_text:10} {result}")

    logo_at = [r["logo_after_frame_s"] for r in show if r.get("logo_after_frame_s") is not None]
    if logo_at:
        print(f"torva: the logo came {min(logo_at):.1f}-{max(logo_at):.1f} s after the first "
              f"frame ({len(logo_at)} of {len(show)} runs)")
    for r in runs:
        if r.get("exit_code") not in (None, 0):
            print(f"note ({r['label']}): exit code {r['exit_code']}")
    for r in runs:
        for note in r.get("notes", []):
            print(f"note ({r['label']}): {note}")

    complete = [r for r in bare if r.get("startup_s") is not None and r.get("video")]
    if not complete:
        print("The bare player gave no complete run: there is nothing to compare with.",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
