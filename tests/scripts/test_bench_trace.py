"""The bench's reading of Wine's file trace (bench/bench_report.py): the files
corvane.exe reads from the medium, and how often it opens and reads Corva.INF.

wine-file-trace.txt is an excerpt of a real trace (WINEDEBUG=+pid,+file) of
the 64-bit corvane.exe started from the bench's medium folder with its
document: Wine's loader looking for DLLs in the folder first, the settings
read, the shell's DLLs, the document opened and its folder listed, and the
start of the document's program (another process) in the same folder."""
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "bench"))
import bench_report as bench  # noqa: E402

# The medium folder of the excerpt, as its programs saw it.
MEDIUM = "Z:\\home\\dev\\corvane\\build\\bench\\medium-win64"


def trace():
    with open(os.path.join(HERE, "wine-file-trace.txt")) as f:
        return f.read().splitlines(keepends=True)


def after(lines, marker, extra):
    """The trace with `extra` lines right after the first line holding `marker`."""
    at = next(i for i, line in enumerate(lines) if marker in line) + 1
    return lines[:at] + [line + "\n" for line in extra] + lines[at:]


class MediumFiles(unittest.TestCase):
    def test_a_run_from_the_medium(self):
        facts = bench.medium_files(trace(), MEDIUM)
        # Only corvane.exe's own process: the document's program also opens
        # the folder (as its current directory) and is left out.
        self.assertEqual(facts["accesses"], [
            "NtCreateFile \\",
            "NtCreateFile \\kernel32.dll",
            "NtCreateFile \\imm32.dll",
            "NtCreateFile \\Corva.INF",
            "NtCreateFile \\ole32.dll",
            "NtCreateFile \\combase.dll",
            "NtCreateFile \\doc.cvbench",
            "NtCreateFile \\",
            'NtQueryDirectoryFile \\ L"doc.cvbench"',
        ])
        self.assertEqual((facts["opens"], facts["reads"], facts["bytes_read"]), (1, 1, 223))

    def test_reads_count_only_on_the_settings_handle(self):
        # A second read of Corva.INF (at its end) counts with its bytes; a
        # read through the handle of another file (tzres.dll's 0x34) does not.
        lines = after(trace(), "NtReadFile = SUCCESS (223)", [
            "0310:0304:trace:file:NtReadFile (0x58,(nil),(nil),(nil),0x21fa60,0xc81570,0x00000200,(nil),(nil))",
            "0310:0304:trace:file:NtReadFile = SUCCESS (0)",
            "0310:0304:trace:file:NtReadFile (0x34,(nil),(nil),(nil),0x21fa60,0xc81490,0x00000400,(nil),(nil))",
            "0310:0304:trace:file:NtReadFile = SUCCESS (1024)",
        ])
        facts = bench.medium_files(lines, MEDIUM)
        self.assertEqual((facts["opens"], facts["reads"], facts["bytes_read"]), (1, 2, 223))

    def test_only_the_medium_folder_and_its_own_listings(self):
        # A folder whose name merely starts like the medium's is another one.
        lines = after(trace(), 'medium-win64\\\\kernel32.dll" not found (c0000034)', [
            '0310:0304:trace:file:NtCreateFile handle=0x21f548 access=80100000 name=L"\\\\??\\\\Z:\\\\home'
            '\\\\dev\\\\corvane\\\\build\\\\bench\\\\medium-win64-old\\\\kernel32.dll" objattr=00000040 '
            'root=(nil) sec=(nil) io=0x21f550 alloc_size=(nil) attr=00000000 sharing=00000005 disp=1 options=00000060',
        ])
        self.assertEqual(bench.medium_files(lines, MEDIUM)["accesses"][1:3],
                         ["NtCreateFile \\kernel32.dll", "NtCreateFile \\imm32.dll"])
        # GetLongPathNameW lists each folder of a path through an open with
        # the same status block on the same thread: once the drive's root
        # reuses the block of the medium folder's open, its listing is the
        # root's, not the medium's.
        lines = after(trace(), 'NtQueryDirectoryFile => 0 (116)', [
            '0310:0304:trace:file:NtCreateFile handle=0x36fe98 access=00100001 name=L"\\\\??\\\\Z:\\\\" '
            'objattr=00000040 root=(nil) sec=(nil) io=0x21bca0 alloc_size=(nil) attr=00000000 sharing=00000003 '
            'disp=1 options=00004021 ea=(nil).0x00000000',
            '0310:0304:trace:file:NtQueryDirectoryFile (0x7c (nil) (nil) (nil) 0x21bca0 0x36fef4 0x0000025e '
            '0x00000003 0x00000000 L"home" 0x00000001',
            '0310:0304:trace:file:NtQueryDirectoryFile => 0 (102)',
        ])
        self.assertEqual(bench.medium_files(lines, MEDIUM)["accesses"][-1], 'NtQueryDirectoryFile \\ L"doc.cvbench"')

    def test_a_run_from_the_root_of_a_cd_drive(self):
        # The same run with the folder mapped as drive G:, whose root is the
        # medium.
        lines = [line.replace(MEDIUM.replace("\\", "\\\\"), "G:") for line in trace()]
        facts = bench.medium_files(lines, "G:")
        self.assertEqual(facts["accesses"], bench.medium_files(trace(), MEDIUM)["accesses"])
        self.assertEqual((facts["opens"], facts["reads"], facts["bytes_read"]), (1, 1, 223))


if __name__ == "__main__":
    unittest.main()
