"""Unit tests of the benchmark's arithmetic and verdicts (python3 -m unittest in tools/bench)."""

import io
import json
import os
import sys
import tempfile
import unittest
from contextlib import redirect_stderr, redirect_stdout

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import measure  # noqa: E402
import summary  # noqa: E402


def run(label, **figures):
    return {"label": label, "notes": [], "screen": "1024x768", "poll_ms": 20, **figures}


def video(program, seconds=16.0):
    return {"program": program, "wineserver": 0.1, "x_server": 0.1, "others_cores": 0.5,
            "seconds": seconds}


class Verdicts(unittest.TestCase):
    def test_ratio_goal_is_met_up_to_the_limit_and_not_beyond(self):
        self.assertEqual(summary.verdict(("ratio", 1.05), [1.0, 1.01], [1.05, 1.04], True)[1], "met")
        self.assertEqual(summary.verdict(("ratio", 1.05), [1.0, 1.01], [1.2, 1.3], True)[1],
                         "NOT met")

    def test_a_ratio_within_the_goal_from_scattered_runs_asks_for_more_runs(self):
        result = summary.verdict(("ratio", 1.05), [1.3, 1.3, 0.5], [0.5, 0.55, 1.3], True)[1]
        self.assertEqual(result, "met (noisy)")

    def test_over_the_goal_within_the_bare_range_is_called_noise(self):
        result = summary.verdict(("ratio", 1.05), [1.0, 1.0, 1.4], [1.2, 1.3], True)[1]
        self.assertEqual(result, "NOT met (ranges overlap)")

    def test_a_show_that_played_no_video_meets_no_goal(self):
        self.assertIn("n/a", summary.verdict(("ratio", 1.10), [100.0], [20.0], False)[1])

    def test_absolute_goals_judge_the_median_or_for_never_above_every_run(self):
        cases = [
            (("at most", 0.0), [0.0, 0.0, 0.25], "met"),
            (("at most", 0.0), [0.0, 0.25, 0.25], "NOT met"),
            (("never above", 0), [0, 0, 1], "NOT met"),
            (("never above", 0), [0, 0, 0], "met"),
            (("above", 0.02), [0.2, 0.0, 0.21], "met"),
            (("above", 0.02), [0.0, 0.0, 0.21], "NOT met"),
            (("within", 42, 0.5), [41.6, 42.4, 43.0], "met"),
            (("within", 42, 0.5), [41.0, 41.4, 42.0], "NOT met"),
        ]
        for goal, values, expected in cases:
            self.assertEqual(summary.verdict(goal, [], values, True)[1], expected, (goal, values))


class Figures(unittest.TestCase):
    def test_playback_cpu_is_scaled_from_its_window_to_twenty_seconds(self):
        self.assertAlmostEqual(summary.per_video(run("bare", video=video(2.0, 16.0)), "program"),
                               2.5)

    def test_missing_parts_give_no_figure_rather_than_zero(self):
        self.assertIsNone(summary.per_video(run("show"), "program"))
        self.assertIsNone(summary.logo(run("show", logo={"program": None, "seconds": 4}),
                                       "program", True))

    def test_display_off_is_a_share_of_one_core_and_its_sound_server_counts(self):
        off = run("sound", display_off={"program": 0.01, "wineserver": 0.0, "seconds": 5.0},
                  display_off_sound_server={"streams_max": 0, "clients_max": 1})
        self.assertAlmostEqual(summary.display_off(off, "program"), 0.2)
        self.assertEqual(summary.display_off(off, "streams_max"), 0)
        self.assertEqual(summary.display_off(off, "clients_max"), 1)
        self.assertIsNone(summary.display_off(run("sound"), "program"))

    def test_cpu_time_is_read_past_a_command_name_with_parentheses_and_spaces(self):
        fields = " ".join(["S"] + ["0"] * 10 + ["250", "50"] + ["0"] * 30)
        self.assertAlmostEqual(measure.parse_cpu_seconds(f"42 (a) b (c)) {fields}"),
                               300 / measure.CLOCK_TICKS)

    def test_the_sound_servers_own_tools_are_not_counted_as_its_clients(self):
        listing = "3\tprotocol-native.c\twine64\n5\tprotocol-native.c\tpactl\n" \
                  "6\tprotocol-native.c\tparec\n"
        self.assertEqual(measure.count_sound_server(listing), 1)
        self.assertEqual(measure.count_sound_server(""), 0)

    def test_rms_is_a_share_of_full_scale(self):
        self.assertAlmostEqual(measure.rms_of_samples(b"\x00\x40\x00\xc0" * 100), 0.5)
        self.assertEqual(measure.rms_of_samples(b"\x00\x00" * 10), 0.0)
        self.assertIsNone(measure.rms_of_samples(b""))

    def test_growth_counts_from_the_second_logo_phase_to_the_last(self):
        samples = [{"rss_kib": 1000, "threads": 20, "handles": 90},
                   {"rss_kib": 9000, "threads": 30, "handles": 100},
                   {"rss_kib": 9512, "threads": 30, "handles": None},
                   {"rss_kib": 10024, "threads": 31, "handles": 100}]
        self.assertEqual(summary.growth(samples),
                         {"phases": 4, "memory_mib": 1.0, "threads": 1, "handles": 0})
        self.assertIsNone(summary.growth(samples[:2]))

    def test_the_rest_of_the_machine_excludes_the_measured_processes_and_a_gone_one(self):
        a = {"program": 1.0, "wineserver": 0.5, "x_server": None, "time": 0.0, "busy": 0,
             "total": 0}
        b = {"program": 2.0, "wineserver": 0.5, "x_server": None, "time": 10.0,
             "busy": 10, "total": 10 * (os.cpu_count() or 1)}
        delta = measure.Counters.delta(a, b)
        self.assertEqual(delta["program"], 1.0)
        self.assertIsNone(delta["x_server"])
        # One core busy for 10 s, one second of it ours: 0.9 cores for everything else.
        self.assertAlmostEqual(delta["others_cores"], 0.9, places=2)


class Report(unittest.TestCase):
    def report(self, runs):
        with tempfile.NamedTemporaryFile("w", suffix=".jsonl", delete=False) as f:
            f.write("".join(json.dumps(r) + "\n" for r in runs))
        try:
            sys.argv = ["summary.py", f.name]
            out, err = io.StringIO(), io.StringIO()
            with redirect_stdout(out), redirect_stderr(err):
                status = summary.main()
            return status, out.getvalue()
        finally:
            os.unlink(f.name)

    def test_a_bad_show_is_reported_but_a_failed_reference_fails_the_measurement(self):
        bare = run("bare", startup_s=0.6, video=video(2.0), peak_kib=100 * 1024)
        show = run("muted", peak_kib=20 * 1024, notes=["no video frame within 30 s"])
        status, out = self.report([bare, show])
        self.assertEqual(status, 0)
        self.assertIn("no video frame", out)
        status, _ = self.report([run("bare", notes=["program ended before any video frame"]),
                                 show])
        self.assertEqual(status, 1)


if __name__ == "__main__":
    unittest.main()
