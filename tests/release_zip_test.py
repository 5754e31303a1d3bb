#!/usr/bin/env python3
"""The zip a Windows user downloads, made by scripts/package: it opens, holds
Wendrel.exe, wendrel-clip.exe and 읽어보기.txt and nothing else, its name
carries the version of the program's version record, neither program carries
a runtime DLL of the compiler or debugging symbols, the dialog starts under
Wine and shows itself, and wendrel-clip tells the zip's version.
The Debian package made beside it: lintian finds no error, apt installs it
(unless wendrel-clip is installed already), its wendrel-clip tells the zip's
version, man finds its page, systemd-analyze accepts its units, and a purge
leaves nothing behind.

    release_zip_test.py WINE_PREFIX WORK_DIR
    release_zip_test.py --dialog WINE_PREFIX WORK_DIR

The first makes the packages in WORK_DIR and checks all but the dialog; the
second, the one step that needs a display, starts the dialog of the zip the
first made. The display's number is in the file WENDREL_DISPLAY_FILE names.
"""

import functools
import os
import re
import shutil
import struct
import subprocess
import sys
import unittest
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WAIT_SECONDS = 60
# The fixed part of a version record begins with this signature.
FIXED_VERSION_SIGNATURE = struct.pack("<I", 0xFEEF04BD)
COMPILER_RUNTIMES = [b"libstdc++-6.dll", b"libgcc_s_seh-1.dll", b"libwinpthread-1.dll"]
PROGRAMS = ["Wendrel.exe", "wendrel-clip.exe"]


def file_version(exe):
    """The file version of the program's version record, as "a.b.c.d"."""
    at = exe.index(FIXED_VERSION_SIGNATURE)
    most, least = struct.unpack_from("<II", exe, at + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


def symbol_count(exe):
    """The entries of the COFF symbol table that debugging builds leave."""
    header = struct.unpack_from("<I", exe, 0x3C)[0]
    return struct.unpack_from("<I", exe, header + 4 + 12)[0]


def made_zip():
    """The zip that an earlier run without --dialog made."""
    zips = list((Path(sys.argv[2]) / "dist").glob("Wendrel-*.zip"))
    assert len(zips) == 1, zips
    return zips[0]


def unpacked(zip_path, folder):
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(folder)
    return folder


@functools.lru_cache(maxsize=None)
def packages():
    """The package's path and the zip's, from one run of scripts/package."""
    work = Path(sys.argv[2])
    shutil.rmtree(work, ignore_errors=True)
    made = subprocess.run([str(ROOT / "scripts" / "package"), str(work / "dist")],
                          capture_output=True, text=True, check=True)
    return tuple(map(Path, made.stdout.strip().splitlines()[-2:]))


def zip_version(zip_path):
    return re.fullmatch(r"Wendrel-(.*)\.zip", zip_path.name).group(1)


def apt(*arguments):
    """apt-get, waiting for a lock that another installation holds."""
    subprocess.run(["apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=300", *arguments],
                   env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"),
                   capture_output=True, text=True, check=True)


def installed():
    return subprocess.run(["dpkg-query", "-W", "wendrel-clip"], capture_output=True).returncode == 0


def purge():
    if installed():
        apt("purge", "wendrel-clip")


def package_paths(deb):
    """Every path the package holds, its folders included."""
    listing = subprocess.run(["dpkg-deb", "--contents", str(deb)], capture_output=True,
                             text=True, check=True).stdout
    return {line.split()[-1].lstrip(".").rstrip("/") or "/" for line in listing.splitlines()}


def present(paths):
    """Those of paths that exist, and dpkg's own record of the package."""
    return ({path for path in paths if os.path.lexists(path)} |
            {str(path) for path in Path("/var/lib/dpkg/info").glob("wendrel-clip.*")})


class DebianPackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.deb, cls.zip = packages()

    def test_lintian_finds_no_error(self):
        checked = subprocess.run(["lintian", "--fail-on", "error", str(self.deb)],
                                 capture_output=True, text=True)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)

    def test_installs_runs_and_leaves_nothing_behind(self):
        if os.geteuid() != 0:
            self.skipTest("installing a package needs root")
        if installed():
            self.skipTest("wendrel-clip is installed on this machine; the test would replace it")
        paths = package_paths(self.deb)
        before = present(paths)
        self.addCleanup(purge)
        apt("install", "--no-install-recommends", str(self.deb))
        self.assertTrue(paths <= present(paths), paths - present(paths))

        told = subprocess.run(["/usr/bin/wendrel-clip", "--version"], capture_output=True,
                              text=True, check=True)
        self.assertEqual(told.stdout, "wendrel-clip %s\n" % zip_version(self.zip))
        page = subprocess.run(["man", "-w", "wendrel-clip"], capture_output=True, text=True)
        self.assertEqual(page.stdout, "/usr/share/man/man1/wendrel-clip.1.gz\n", page.stderr)
        with self.subTest("systemd-analyze verify"):
            if shutil.which("systemd-analyze") is None:
                self.skipTest("systemd-analyze is not installed (it comes with systemd)")
            units = ["/usr/lib/systemd/user/wendrel-clip." + kind for kind in ("timer", "service")]
            verified = subprocess.run(["systemd-analyze", "verify", *units],
                                      capture_output=True, text=True)
            self.assertEqual(verified.returncode, 0, verified.stderr)

        purge()
        self.assertEqual(present(paths), before)


class ReleaseZipTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix, cls.work = sys.argv[1], Path(sys.argv[2])
        cls.zip = packages()[1]

    def test_holds_exactly_the_programs_and_their_korean_readme(self):
        with zipfile.ZipFile(self.zip) as archive:
            self.assertIsNone(archive.testzip())
            self.assertEqual(sorted(archive.namelist()), PROGRAMS + ["읽어보기.txt"])
            readme = archive.read("읽어보기.txt").decode("utf-8-sig")
        self.assertIn("Wendrel.ini", readme)
        self.assertIn("schtasks /Create", readme)
        self.assertNotIn("\n", readme.replace("\r\n", ""))

    def test_name_carries_the_programs_version(self):
        with zipfile.ZipFile(self.zip) as archive:
            exe = archive.read("Wendrel.exe")
        name = re.fullmatch(r"Wendrel-(\d+\.\d+\.\d+\.\d+)\.zip", self.zip.name)
        self.assertIsNotNone(name, self.zip.name)
        self.assertEqual(name.group(1), file_version(exe))

    def test_programs_are_stripped_and_need_no_compiler_runtime(self):
        for program in PROGRAMS:
            with self.subTest(program), zipfile.ZipFile(self.zip) as archive:
                exe = archive.read(program)
                self.assertEqual(symbol_count(exe), 0)
                for runtime in COMPILER_RUNTIMES:
                    self.assertNotIn(runtime, exe)

    def test_clip_program_tells_the_zips_version(self):
        told = subprocess.run(
            [str(ROOT / "scripts" / "wine-run"), self.prefix,
             str(unpacked(self.zip, self.work / "unpacked") / "wendrel-clip.exe"), "--version"],
            capture_output=True, text=True, timeout=WAIT_SECONDS, check=True)
        self.assertEqual(told.stdout.strip(), "wendrel-clip " + zip_version(self.zip))


class ReleaseDialogTest(unittest.TestCase):
    def test_program_starts_and_shows_its_dialog(self):
        prefix, work = sys.argv[1], Path(sys.argv[2])
        folder = unpacked(made_zip(), work / "unpacked-dialog")
        environment = dict(os.environ)
        environment["DISPLAY"] = ":" + Path(
            os.environ["WENDREL_DISPLAY_FILE"]).read_text().strip()
        wendrel = subprocess.Popen(
            [str(ROOT / "scripts" / "wine-run"), prefix, str(folder / "Wendrel.exe")],
            env=environment)
        try:
            window = subprocess.run(
                ["xdotool", "search", "--sync", "--name", r"^Wendrel v0\.1$"], env=environment,
                capture_output=True, text=True, timeout=WAIT_SECONDS, check=True).stdout.split()[0]
            subprocess.run(["xdotool", "key", "--window", window, "Escape"], env=environment,
                           check=True)
            wendrel.wait(timeout=WAIT_SECONDS)
        finally:
            if wendrel.poll() is None:
                wendrel.kill()


def main():
    dialog = sys.argv[1] == "--dialog"
    if dialog:
        del sys.argv[1]
    loader = unittest.defaultTestLoader
    suite = unittest.TestSuite(loader.loadTestsFromTestCase(tests) for tests in (
        [ReleaseDialogTest] if dialog else [DebianPackageTest, ReleaseZipTest]))
    sys.exit(0 if unittest.TextTestRunner().run(suite).wasSuccessful() else 1)


if __name__ == "__main__":
    main()
