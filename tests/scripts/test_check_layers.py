"""scripts/check-layers on small source trees: includes that close a circle
between folders fail with the circle and its include lines named; layered
includes, includes inside a folder and those of tests/ and bench/ do not."""
import os
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "scripts", "check-layers")


def check(files):
    """Runs check-layers over a tree of {path: text}; (exit status, output)."""
    with tempfile.TemporaryDirectory() as tree:
        for path, text in files.items():
            os.makedirs(os.path.join(tree, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(tree, path), "w") as f:
                f.write(text)
        done = subprocess.run([sys.executable, SCRIPT, tree], capture_output=True, text=True, timeout=60)
        return done.returncode, done.stdout


LAYERED = {
    "base/text.h": "#pragma once\n#include <windows.h>\n",
    "base/text.cpp": '#include "text.h"\n',
    "settings/ini.h": '#pragma once\n#include "base/text.h"\n',
    "popup/popup.cpp": '#include "settings/ini.h"\n#include "base/text.h"\n#include "corvane_version.h"\n',
    # Tests and the bench may include any folder, and are included by none.
    "tests/host/ini_test.cpp": '#include "popup/popup.cpp"\n',
    "bench/floor.cpp": '#include "popup/popup.cpp"\n',
}


class CheckLayers(unittest.TestCase):
    def test_layered_tree_passes(self):
        status, out = check(LAYERED)
        self.assertEqual(status, 0, out)
        self.assertIn("no include circles between 3 folders (base popup settings)", out)

    def test_circles_are_named_with_their_includes(self):
        # Two folders including each other, the second time by a name
        # relative to the including file.
        status, out = check(dict(LAYERED, **{"base/format.cpp": '#include "../settings/ini.h"\n'}))
        self.assertEqual(status, 1, out)
        self.assertIn("include circle base -> settings -> base", out)
        self.assertIn("base/format.cpp:1 includes ../settings/ini.h", out)
        self.assertIn("settings/ini.h:2 includes base/text.h", out)
        # A circle through three folders, with a nested folder among them.
        status, out = check(dict(LAYERED, **{"tools/check/engine.h": '#include "popup/popup.cpp"\n',
                                             "settings/keys.h": '  #  include "tools/check/engine.h"\n'}))
        self.assertEqual(status, 1, out)
        self.assertIn("include circle popup -> settings -> tools/check -> popup", out)
        self.assertIn("settings/keys.h:1 includes tools/check/engine.h", out)


if __name__ == "__main__":
    unittest.main()
