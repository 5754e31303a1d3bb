#!/usr/bin/env python3
"""scripts/setup --check against a PATH that lacks one command: it fails and
names the command and the package that provides it, in one line; with every
command there it says nothing.

    setup_check_test.py
"""

import os
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SETUP = Path(__file__).resolve().parent.parent / "scripts" / "setup"

# A command from each kind of tool the scripts call, and its package.
MISSING = [
    ("wine", "wine"),
    ("wineserver", "wine"),
    ("Xvfb", "xvfb"),
    ("x86_64-w64-mingw32-g++-posix", "g++-mingw-w64-x86-64-posix"),
    ("import", "imagemagick"),
    ("cppcheck", "cppcheck"),
]


def link_path(into):
    """Fills into with links to every command on this PATH, the first found
    of each name winning as it does on PATH."""
    for folder in os.environ["PATH"].split(os.pathsep):
        if not os.path.isdir(folder):
            continue
        for name in os.listdir(folder):
            link = os.path.join(into, name)
            if not os.path.lexists(link):
                os.symlink(os.path.join(folder, name), link)


class SetupCheckTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        link_path(cls.folder.name)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def check_without(self, command, *packages):
        """scripts/setup --check on a PATH that lacks command."""
        link = os.path.join(self.folder.name, command)
        # A fresh machine may lack the command to begin with.
        target = os.readlink(link) if command and os.path.lexists(link) else None
        if target:
            os.remove(link)
        try:
            return subprocess.run(["bash", str(SETUP), "--check", *packages],
                                  capture_output=True, text=True,
                                  env=dict(os.environ, PATH=self.folder.name))
        finally:
            if target:
                os.symlink(target, link)

    def test_every_command_there_passes_silently(self):
        result = self.check_without("")
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "", ""))

    def test_a_missing_command_names_itself_and_its_package(self):
        for command, package in MISSING:
            with self.subTest(command):
                result = self.check_without(command)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stderr.splitlines(), [
                    f"setup: the command '{command}' is not on PATH; "
                    f"it comes with the package '{package}'"])

    def test_commands_of_a_named_package_are_checked_only_when_named(self):
        self.assertEqual(self.check_without("clang++").returncode, 0)
        named = self.check_without("clang++", "clang", "libclang-rt-14-dev")
        self.assertEqual(named.returncode, 1)
        self.assertIn("'clang++'", named.stderr)


if __name__ == "__main__":
    sys.exit(unittest.main())
