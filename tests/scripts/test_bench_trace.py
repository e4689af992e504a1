"""scripts/bench's reading of Wine's file trace: the files corvane.exe reads
from the medium, and how often it opens and reads Corva.INF.

wine-file-trace.txt is an excerpt of a real trace (WINEDEBUG=+pid,+file) of
the 64-bit corvane.exe started from the bench's medium folder with its
document: Wine's loader looking for DLLs in the folder first, the settings
read, the shell's DLLs, the document opened and its folder listed, and the
start of the document's program (another process) in the same folder."""
import importlib.machinery
import importlib.util
import os
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MEDIUM = "/home/dev/corvane/build/bench/medium-win64"


def load_bench():
    loader = importlib.machinery.SourceFileLoader("bench", os.path.join(ROOT, "scripts", "bench"))
    spec = importlib.util.spec_from_loader("bench", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


bench = load_bench()


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


if __name__ == "__main__":
    unittest.main()
