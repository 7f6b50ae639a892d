#!/usr/bin/env python3
"""The benchmark's tables: reads the JSON lines of tools/bench/measure.py and prints, per figure,
median and min-max over the runs of the bare player and of the saver muted and with sound, their
ratio and the goal; then what the long run with sound left behind over its logo phases.

    summary.py results.jsonl

Exits 1 when the reference (the bare player) has no complete run, 0 otherwise, whatever the
saver's figures are.
"""

import json
import os
import statistics
import sys

VIDEO_PER = 20  # the figures for playback are given per this many seconds of video
LOGO_AT = 42.0  # seconds from the window's appearance to the first logo phase, as the cycle is timed
LOGO_TOLERANCE = 0.5
# Growth over the logo phases of the long run, from its second phase to its last (the first one
# still loads what the show keeps): memory in MiB; threads and handles must not grow at all.
MEMORY_GROWTH_LIMIT_MIB = 1.0


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


def display_off(run, key):
    """Share of one core with the display off, in per cent; or a sound server count then."""
    if key in ("streams_max", "clients_max"):
        return (run.get("display_off_sound_server") or {}).get(key)
    part = run.get("display_off")
    if not part or part.get(key) is None:
        return None
    return part[key] / part["seconds"] * 100


def sound_server(run, key):
    return (run.get("sound_server") or {}).get(key)


def peak_mib(run):
    return run["peak_kib"] / 1024 if run.get("peak_kib") else None


# Each row: title, how to get it from one run, digits, goal or None. Goals: ("ratio", limit) on the
# ratio of the medians; ("at most", limit) on the median; ("never above", limit) on every run;
# ("above", limit) on the median; ("within", target, tolerance) on the median.
MUTED_ROWS = [
    ("start-up to first frame, s", lambda r: r.get("startup_s"), 2, ("ratio", 1.00)),
    ("  start-up to the window, s", lambda r: r.get("window_s"), 2, None),
    ("  CPU to first frame, s", lambda r: (r.get("startup_cpu") or {}).get("program"), 2, None),
    (f"video: CPU s per {VIDEO_PER} s", lambda r: per_video(r, "program"), 2, ("ratio", 0.60)),
    (f"  wineserver CPU s per {VIDEO_PER} s", lambda r: per_video(r, "wineserver"), 2, None),
    (f"  X server CPU s per {VIDEO_PER} s", lambda r: per_video(r, "x_server"), 2, None),
    ("logo phase: CPU s", lambda r: logo(r, "program"), 3, None),
    ("  % of one core", lambda r: logo(r, "program", True), 2, ("at most", 0.0)),
    ("  wineserver % of one core", lambda r: logo(r, "wineserver", True), 2, None),
    ("  logo on screen until the video is back, s", lambda r: r.get("logo_seen_s"), 2, None),
    ("first logo phase after the window, s", lambda r: r.get("logo_after_window_s"), 2,
     ("within", LOGO_AT, LOGO_TOLERANCE)),
    ("  after the first frame, s", lambda r: r.get("logo_after_frame_s"), 2, None),
    ("sound server: most streams at once", lambda r: sound_server(r, "streams_max"), 0,
     ("never above", 0)),
    ("  most clients at once", lambda r: sound_server(r, "clients_max"), 0, ("never above", 0)),
    ("display off: % of one core", lambda r: display_off(r, "program"), 2, ("at most", 0.5)),
    ("  wineserver % of one core", lambda r: display_off(r, "wineserver"), 2, None),
    ("  sound server: most streams", lambda r: display_off(r, "streams_max"), 0,
     ("never above", 0)),
    ("  sound server: most clients", lambda r: display_off(r, "clients_max"), 0,
     ("never above", 0)),
    ("peak memory (VmHWM), MiB", peak_mib, 1, ("ratio", 0.97)),
    ("other load on the machine, cores",
     lambda r: (r.get("video") or {}).get("others_cores"), 2, None),
]

SOUND_ROWS = [
    ("start-up to first frame, s", lambda r: r.get("startup_s"), 2, None),
    (f"video: CPU s per {VIDEO_PER} s", lambda r: per_video(r, "program"), 2, ("ratio", 1.00)),
    (f"  wineserver CPU s per {VIDEO_PER} s", lambda r: per_video(r, "wineserver"), 2, None),
    ("recorded sound, RMS amplitude", lambda r: r.get("rms"), 4, ("above", 0.02)),
    ("logo phase: % of one core", lambda r: logo(r, "program", True), 2, None),
    ("first logo phase after the window, s", lambda r: r.get("logo_after_window_s"), 2,
     ("within", LOGO_AT, LOGO_TOLERANCE)),
    ("sound server: most streams at once", lambda r: sound_server(r, "streams_max"), 0, None),
    ("display off: % of one core", lambda r: display_off(r, "program"), 2, ("at most", 0.5)),
    ("  wineserver % of one core", lambda r: display_off(r, "wineserver"), 2, None),
    ("  sound server: most streams", lambda r: display_off(r, "streams_max"), 0,
     ("never above", 0)),
    ("  sound server: most clients", lambda r: display_off(r, "clients_max"), 0, None),
    ("peak memory (VmHWM), MiB", peak_mib, 1, None),
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


def goal_text(goal):
    kind = goal[0]
    if kind == "ratio":
        return f"<= {goal[1]:.2f}x"
    if kind in ("at most", "never above"):
        return f"<= {goal[1]:g}" + (" each" if kind == "never above" else "")
    if kind == "above":
        return f"> {goal[1]:g}"
    return f"{goal[1]:g} +- {goal[2]:g}"


def verdict(goal, bare, show, show_played):
    if goal is None or not show:
        return "", ""
    if not show_played:
        # A show that never played its clip is cheap for the wrong reason.
        return "", "n/a (the show played no video)"
    kind = goal[0]
    text = goal_text(goal)
    median = statistics.median(show)
    if kind == "at most":
        return text, "met" if median <= goal[1] else "NOT met"
    if kind == "never above":
        return text, "met" if max(show) <= goal[1] else "NOT met"
    if kind == "above":
        return text, "met" if median > goal[1] else "NOT met"
    if kind == "within":
        return text, "met" if abs(median - goal[1]) <= goal[2] else "NOT met"
    limit = goal[1]
    if not bare or not statistics.median(bare):
        return text, "n/a"
    ratio = median / statistics.median(bare)
    if ratio <= limit:
        # Runs that scatter more than the margin allowed cannot confirm it.
        margin = max(abs(limit - 1), 0.05)
        noisy = any(relative_range(v) > margin for v in (bare, show))
        return text, "met (noisy)" if noisy else "met"
    # Over the goal, but the ranges overlap: the runs do not tell the two apart.
    if min(show) <= max(bare):
        return text, "NOT met (ranges overlap)"
    return text, "NOT met"


def print_table(title, rows, bare, show):
    print(title)
    header = (f"{'figure':44} {'bare: median (min-max)':26} {'noise':>5}  "
              f"{'torva: median (min-max)':26} {'noise':>5}  {'torva/bare':>10}  "
              f"{'goal':12} verdict")
    print(header)
    print("-" * len(header))
    played = any(r.get("video") for r in show)
    for name, get, digits, goal in rows:
        b = [v for v in (get(r) for r in bare) if v is not None]
        s = [v for v in (get(r) for r in show) if v is not None]
        b_text, b_median = describe(b, digits)
        s_text, s_median = describe(s, digits)
        ratio = f"{s_median / b_median:.3f}" if b_median and s_median is not None else ""
        text, result = verdict(goal, b, s, played)
        print(f"{name:44} {b_text:26} {spread(b):>5}  {s_text:26} {spread(s):>5}  "
              f"{ratio:>10}  {text:12} {result}")
    print()


def growth(samples):
    """From the second logo phase to the last: memory in MiB, threads, handles (None if unknown)."""
    if len(samples) < 3:
        return None
    second, last = samples[1], samples[-1]

    def change(key, scale=1):
        if second.get(key) is None or last.get(key) is None:
            return None
        return (last[key] - second[key]) / scale

    return {"phases": len(samples), "memory_mib": change("rss_kib", 1024),
            "threads": change("threads"), "handles": change("handles")}


def print_growth(runs):
    for run in runs:
        samples = run.get("cycles") or []
        print(f"Torva with sound, one long run: memory (VmRSS), threads and handles in each of "
              f"{len(samples)} logo phases.")
        for key, name, scale in (("rss_kib", "memory, MiB", 1024), ("threads", "threads", 1),
                                 ("handles", "handles", 1)):
            values = [s[key] / scale for s in samples if s.get(key) is not None]
            shown = " ".join(f"{v:.1f}" if scale > 1 else f"{v:g}" for v in values) or "n/a"
            print(f"  {name:12} {shown}")
        change = growth(samples)
        if change is None:
            print("  too few logo phases to tell growth (3 at least)")
            continue
        parts = []
        met = True
        for key, name, limit, digits in (("memory_mib", "memory", MEMORY_GROWTH_LIMIT_MIB, 2),
                                         ("threads", "threads", 0, 0),
                                         ("handles", "handles", 0, 0)):
            value = change[key]
            if value is None:
                parts.append(f"{name} n/a")
                met = False
                continue
            parts.append(f"{name} {value:+.{digits}f}")
            met = met and value <= limit
        print(f"  growth from phase 2 to phase {change['phases']}: {', '.join(parts)}; goal: "
              f"memory <= +{MEMORY_GROWTH_LIMIT_MIB:g} MiB, threads and handles +0: "
              f"{'met' if met else 'NOT met'}")
        print()


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1]) as f:
        runs = [json.loads(line) for line in f if line.strip()]
    bare = [r for r in runs if r["label"] == "bare"]
    muted = [r for r in runs if r["label"] == "muted"]
    sound = [r for r in runs if r["label"] == "sound"]
    long_runs = [r for r in runs if r["label"] == "cycles"]
    first = runs[0] if runs else {}

    print(f"Runs: {len(bare)} of the bare MCI player (muted), {len(muted)} of torva.scr /s muted, "
          f"{len(sound)} with sound, alternating; screen {first.get('screen', '?')}, "
          f"{os.cpu_count()} cores.")
    print(f"First frame: the centre 32x32 pixels of the screen, read with XGetImage every "
          f"{first.get('poll_ms', '?'):g} ms from the launch of wine64, until their mean "
          f"brightness passes 40/255; resolution about one read interval.")
    print(f"CPU: user+system of the program's Wine process from /proc/<pid>/stat (10 ms ticks); "
          f"wineserver and X server likewise, over the same windows. Video: over the window "
          f"starting 1 s after the first frame, scaled to {VIDEO_PER} s. Logo: a window inside "
          f"the logo phase, found as the top-left corner turning black.")
    print("Sound server: its streams (sink inputs) and clients, asked with pactl every second "
          "from the launch to the end, leaving out pactl and parec themselves. Sound: the sink's "
          "monitor recorded for 2 s after the video window.")
    print("Display off: after the first logo phase the show is told that the display went off "
          "(as the system would; Wine never does), and its CPU and the sound server's streams are "
          "read over 5 s from 1 s later; then it is told that the display is on again.")
    print("The bare player mutes the way MCI can, by volume 0: its stream to the sound server "
          "stays open, so it costs what it costs with sound, and it is the reference for both "
          "tables.")
    print("Verdict on the medians. \"noisy\": the runs of one program scatter more than the goal's "
          "margin, so more runs would be needed to confirm it. \"ranges overlap\": over the goal, "
          "but the runs do not tell the two programs apart.")
    print()

    print_table("Torva muted (the shipped setting) against the bare player", MUTED_ROWS, bare,
                muted)
    print_table("Torva with sound against the bare player", SOUND_ROWS, bare, sound)
    print_growth(long_runs)

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
