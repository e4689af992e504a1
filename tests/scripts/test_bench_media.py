"""The bench's reading of the harness's results when programs of two media
kinds took turns in one rotation (bench/bench_report.py): each corvane.exe is
compared with the floors from its own medium, each limit holds per medium,
and the tables put each number under its own medium and build."""
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "bench"))
import bench_report as bench  # noqa: E402

# Milliseconds of each program by medium: on the CD corvane.exe is 10 % over
# its floors, on Z: level with them; the floors on Z: are slower than
# corvane.exe on the CD, so comparing across media would hide the breach.
TIMES = {
    "z": {"corvane": 120.0, "design_launch": 120.0, "window_launch": 118.0, "no_window": 80.0,
          "design": 120.0, "window_only": 110.0},
    "cd": {"corvane": 110.0, "design_launch": 100.0, "window_launch": 98.0, "no_window": 70.0,
           "design": 100.0, "window_only": 95.0},
}


def harness_lines():
    lines = []
    for rnd in range(bench.MIN_REPS):
        jitter = (rnd % 5) - 2.0
        for medium, programs in TIMES.items():
            for name, ms in programs.items():
                measure = "visible" if name in ("design", "window_only") else "target"
                lines.append("%s/win64/%s\t%s\t%d\t%.3f\n" % (name, medium, measure, rnd, ms + jitter))
            lines.append("corvane/win64/%s\tvisible\t%d\t%.3f\n" % (medium, rnd, programs["corvane"] + jitter))
            lines.append("corvane/win64/%s\tmarks\t%d\t%.3f\n" % (medium, rnd, programs["corvane"]))
            lines.append("corvane/win64/%s\tmark\t%d\t%.3f\tentry\n" % (medium, rnd, programs["corvane"] / 2))
    lines.append("no_window/win64/cd\ttarget\t3\tFAIL\ttimed out after 20 s\n")
    return lines


class TwoMedia(unittest.TestCase):
    def test_each_medium_against_its_own_floors(self):
        samples, failures, marks = bench.read_results(harness_lines())
        results, ratios, pieces, problems = bench.summarize(samples, failures, marks, ["win64"], ["z", "cd"])
        self.assertEqual(ratios["z"]["win64"]["start_to_target"]["ratio"], 1.0)
        self.assertEqual(ratios["cd"]["win64"]["start_to_target"]["ratio"], 1.1)
        self.assertEqual(ratios["cd"]["win64"]["start_to_visible"]["ratio"], 1.1)
        self.assertEqual(results["cd"]["win64"]["target"]["no_window"]["failed"], 1)
        self.assertEqual(pieces["z"]["win64"]["corvane"][0]["at_ms"], 60.0)
        self.assertEqual(pieces["cd"]["win64"]["corvane"][0]["at_ms"], 55.0)
        self.assertEqual(len(problems), 3, problems)
        self.assertTrue(all(" cd)" in p or " CD " in p for p in problems), problems)

        report = {"date": "2026-12-10 12:00 UTC", "machine": {"nproc": 2, "cpu": "cpu", "wine": "wine-8.0"},
                  "load_average_before": [0.5], "load_average_after": [0.6], "measuring_seconds": 780,
                  "repetitions": 60, "visible_repetitions": 120, "warmup_rounds": 2, "architectures_run": ["win64"],
                  "media_run": ["z", "cd"], "results": results, "ratios": ratios, "breakdown": pieces,
                  "medium_files": {m: {"win64": {"medium_accesses": 23, "opens": 1, "reads": 1, "bytes_read": 223,
                                                 "file_size": 223}} for m in ("z", "cd")},
                  "executables": {"win64": {"bytes": 73216, "stripped": True, "imports": ["USER32.dll"]},
                                  "win32": {"bytes": 65024, "stripped": True, "imports": ["USER32.dll"],
                                            "limit_bytes": 65536}}}
        tables = bench.markdown(report).splitlines()
        self.assertIn("| program | measure | 64-bit Z: | 64-bit CD |", tables)
        self.assertIn("| start to visible popup, against the design floor | 1.000 (1.000) | 1.100 (1.100) | 1.05 |",
                      tables)
        self.assertIn("| `entry` | 60.00 | 60.0 | 55.00 | 55.0 |", tables)


if __name__ == "__main__":
    unittest.main()
