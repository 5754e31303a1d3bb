#!/usr/bin/env python3
"""wendrel-clip against the local test site. Natively: the clip's bytes, every
exit status a run can give, the defaults, bad arguments, a folder that takes
no file, a site that limits each client, Ctrl+C, a reader that goes away, a
site that comes up late and a thread that cannot start. The
Windows build, started by a launcher under Wine: the same bytes, the message
of a file failure in the console's code page, and Ctrl+C.

    wendrel_clip_test.py CLASS.CASE WENDREL_CLIP FIXTURES_DIR [LAUNCHER...]

runs the one case CASE of CLASS (WendrelClipTest natively, WindowsRunTest with
a launcher), so that CTest spreads the cases over its slots.
FIXTURES_DIR/site/site.txt holds the running test site's address.
"""

import datetime
import http.server
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.request
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests"))
import test_server  # noqa: E402

PROGRAM = None
FIXTURES = None
SITE = None
LAUNCHER = []
RUN_LIMIT_SECONDS = 60
# A stopped run abandons its fetches at once: well within a fetch's time-out.
STOP_LIMIT_SECONDS = 5
# A user with no account and no process: its process limit counts the
# threads of the one program alone.
LONE_USER = 64321


def cleaned_article(site, number, title, body):
    """An article of the test site as the cleaned clip holds it."""
    return (b"<b><br><hr><br>" + ("%s/arti/%d.html" % (site, number)).encode() + b"<br></b>" +
            test_server.TITLE_MARKER + title.encode("cp949") + b"<br><br>" +
            body.encode("cp949"))


def expected_clip(site):
    """Articles 3 and 2; article 1, dated before 2008-07-16, ends the walk."""
    return (cleaned_article(site, 3, "서울 소식", "첫째 줄<br>끝") +
            cleaned_article(site, 2, "부산 소식", "표 안"))


class LateSite(test_server.SiteHandler):
    """A site that comes up late, as after a machine woke: it drops the next
    server.unanswered requests unanswered, then serves."""

    def do_GET(self):
        with self.server.lock:
            dropped = self.server.unanswered > 0
            self.server.unanswered -= dropped
        if dropped:
            self.close_connection = True
            return
        super().do_GET()


class SlowArticles(test_server.SiteHandler):
    """Time for a reader to go away between two articles' lines."""

    def do_GET(self):
        if self.path.startswith("/arti/"):
            time.sleep(0.3)
        super().do_GET()


def stalling_site(asked_past):
    """A handler of ten dated articles whose pages from 5 down are held
    unanswered, asked_past set once one is asked for: with one connection a
    run that asks for 5 has judged 10 down to 6, and waits."""

    class StallingSite(test_server.SiteHandler):
        def do_GET(self):
            path = self.path.split("?")[0]
            number = re.fullmatch(r"/arti/(\d+)\.html", path)
            if path == "/kisa/list/total/home01.html":
                self.send_body(b'<a href="%s/arti/10.html">top</a>' % self.base().encode())
            elif number and int(number.group(1)) <= 5:
                asked_past.set()
                self.hold()
            elif number:
                self.send_body(test_server.news_page("2008-07-20", number.group(1).encode(), b"B"))
            else:
                self.not_found(path)

    return StallingSite


def as_lone_user(test, program):
    """The words that run program as LONE_USER, for what root may do anyway;
    skips test where that user cannot run it (no setpriv, a bare chroot)."""
    words = ["setpriv", "--reuid=%d" % LONE_USER, "--regid=%d" % LONE_USER, "--clear-groups"]
    if not shutil.which("setpriv"):
        test.skipTest("no setpriv to run the program as an unprivileged user")
    probe = subprocess.run([*words, str(program), "--version"], capture_output=True)
    if probe.returncode != 0:
        test.skipTest("an unprivileged user cannot run the program here: " +
                      probe.stderr.decode(errors="replace").strip())
    return words


def serve_site(test, handler):
    """The test site's pages served by handler from this process on a free
    port until the test ends; its base address and its server."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.log = test_server.Log()
    server.lock, server.unanswered = threading.Lock(), 0
    server.base_address = "http://127.0.0.1:%d" % server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()
    test.addCleanup(server.server_close)
    test.addCleanup(server.shutdown)
    return server.base_address, server


def clip_new_articles_thrice(test, command, folder):
    """--new runs of command into folder as the growing site gains two articles
    and then none: the second run puts the two in front of the first run's
    bytes, the third asks for the list page alone and writes nothing."""
    site = SITE + "/site/growing"
    day_file = folder / (datetime.date.today().isoformat() + ".html")
    for newest in (2, 4, 4):
        urllib.request.urlopen(SITE + "/grow?to=%d" % newest).close()
        asked = requests_seen("/site/growing/").count("GET ")
        run = Run(subprocess.run([*command, "--new", "--site", site, "--quiet"],
                                 capture_output=True, timeout=RUN_LIMIT_SECONDS))
        test.assertEqual(run.status, 0, run.errors)
        test.assertEqual(day_file.read_bytes(), b"".join(
            cleaned_article(site, n, "소식 %d" % n, "본문 %d" % n) for n in range(newest, 0, -1)))
    test.assertEqual(requests_seen("/site/growing/").count("GET ") - asked, 1)
    test.assertEqual(sorted(os.listdir(folder)), [day_file.name, "wendrel-record.txt"])
    test.assertTrue((folder / "wendrel-record.txt").read_bytes().endswith(site.encode() + b" 4\r\n"))


def clip_two_sites_at_once(test, command, folder, rounds):
    """--new runs of two sites into one folder, two processes started
    together, as both sites grow by two articles a round: every article is
    once in the day's file, and both records stand at the newest."""
    sites = [SITE + "/site/growing", SITE + "/site/twin"]
    for newest in range(2, 2 * rounds + 1, 2):
        urllib.request.urlopen(SITE + "/grow?to=%d" % newest).close()
        runs = [subprocess.Popen([*command, "--new", "--site", site, "--quiet"],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE) for site in sites]
        for run in runs:
            errors = run.communicate(timeout=RUN_LIMIT_SECONDS)[1]
            test.assertEqual(run.returncode, 0, errors)
    clip = (folder / (datetime.date.today().isoformat() + ".html")).read_bytes()
    record = (folder / "wendrel-record.txt").read_bytes()
    test.assertEqual(clip.count(b"<hr>"), 2 * newest)
    for site in sites:
        for number in range(1, newest + 1):
            entry = b"<hr><br>%s/arti/%d.html<br>" % (site.encode(), number)
            test.assertEqual(clip.count(entry), 1, entry)
        test.assertIn(b"%s %d\r\n" % (site.encode(), newest), record)


def answer_of(path):
    with urllib.request.urlopen(SITE + path) as answer:
        return answer.read().decode("latin-1")


def requests_seen(text):
    return answer_of("/log?match=" + text)


def fixture(name):
    """The first line of a file the test site's fixture wrote."""
    return (FIXTURES / "site" / name).read_text().strip()


class Run:
    def __init__(self, process):
        self.status = process.returncode
        self.out = process.stdout
        self.errors = process.stderr

    def last_line(self, stream):
        return stream.decode("utf-8").rstrip("\n").split("\n")[-1]


def stop_with_ctrl_c(test, command, folder, process_of):
    """Starts a run over a site that stalls at its last article, presses
    Ctrl+C (SIGINT, which Wine hands to the program as Ctrl+C) once that
    article was asked for, and checks that the run stopped at once and, having
    read no article, wrote nothing. process_of names the process that gets the
    signal."""
    earlier = folder / "2008-07-16.html"
    earlier.write_bytes(b"earlier clip")
    asked = requests_seen("/site/stalled/arti/1.html").count("GET ")
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    deadline = time.monotonic() + RUN_LIMIT_SECONDS
    while requests_seen("/site/stalled/arti/1.html").count("GET ") == asked:
        test.assertLess(time.monotonic(), deadline, "the run never asked for the article")
        time.sleep(0.05)
    started = time.monotonic()
    os.kill(process_of(process), signal.SIGINT)
    out, errors = process.communicate(timeout=RUN_LIMIT_SECONDS)

    test.assertLess(time.monotonic() - started, STOP_LIMIT_SECONDS)
    test.assertEqual(process.returncode, 130, errors)
    test.assertEqual(out.decode().splitlines()[-1], "Nothing saved (stopped by the user)")
    test.assertEqual(sorted(entry.name for entry in folder.iterdir()), ["2008-07-16.html"])
    test.assertEqual(earlier.read_bytes(), b"earlier clip")


def stop_mid_walk(test, command, folder, path_of, stop, process_of):
    """Sends stop to a run of command into folder once it judged articles 10
    down to 6 of a stalling site, and checks that they were saved at once,
    each once, before the earlier clip's article, exit 3. path_of names a
    path as the program does."""
    elsewhere = cleaned_article("http://elsewhere.test", 1, "E", "X")
    asked_past = threading.Event()
    site = serve_site(test, stalling_site(asked_past))[0]
    folder.mkdir()
    clip = folder / "2008-07-16.html"
    clip.write_bytes(elsewhere)
    process = subprocess.Popen(
        [*command, "--since", "2008-07-16", "--site", site, "--folder", path_of(folder),
         "--connections", "1", "--quiet"], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    test.assertTrue(asked_past.wait(RUN_LIMIT_SECONDS), "the walk never reached 5")
    started = time.monotonic()
    os.kill(process_of(process), stop)
    out, errors = process.communicate(timeout=RUN_LIMIT_SECONDS)

    test.assertLess(time.monotonic() - started, STOP_LIMIT_SECONDS)
    test.assertEqual(process.returncode, 3, errors)
    test.assertEqual(out.decode().splitlines(),
                     ["Saved to %s (stopped by the user)" % path_of(clip)])
    test.assertEqual(clip.read_bytes(), b"".join(
        cleaned_article(site, n, str(n), "B") for n in range(10, 5, -1)) + elsewhere)
    test.assertEqual(os.listdir(folder), [clip.name])


def only_child(process):
    """The program the launcher started: its one child process."""
    children = Path("/proc/%d/task/%d/children" % (process.pid, process.pid)).read_text().split()
    assert len(children) == 1, children
    return int(children[0])


def windows_path(path):
    """How a program under Wine names a Unix path: the root is drive Z:."""
    return "Z:" + str(path).replace("/", "\\")


class WindowsRunTest(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="wendrel-clip-"))
        self.addCleanup(shutil.rmtree, self.folder)

    def run_clip(self, folder):
        return Run(subprocess.run(
            [*LAUNCHER, str(PROGRAM), "--since", "2008-07-16", "--site", SITE, "--folder",
             windows_path(folder), "--quiet"], capture_output=True, timeout=RUN_LIMIT_SECONDS))

    def test_writes_the_bytes_of_the_engine_tests(self):
        run = self.run_clip(self.folder)
        self.assertEqual(run.status, 0, run.errors)
        self.assertEqual((self.folder / "2008-07-16.html").read_bytes(), expected_clip(SITE))
        path = windows_path(self.folder / "2008-07-16.html")
        self.assertEqual(run.out.decode("cp949").splitlines(), ["Saved to " + path])

    def test_file_failure_is_told_in_the_consoles_code_page(self):
        run = self.run_clip(self.folder / "missing")
        self.assertEqual(run.status, 4)
        path = windows_path(self.folder / "missing" / "2008-07-16.html")
        self.assertEqual(run.errors.decode("cp949").splitlines()[-1],
                         path + "에 잘못된 경로가 있습니다.")

    def test_ctrl_c_leaves_no_file_and_the_earlier_clip_intact(self):
        stop_with_ctrl_c(self, [*LAUNCHER, str(PROGRAM), "--since", "2008-07-16", "--site",
                                SITE + "/site/stalled", "--folder", windows_path(self.folder)],
                         self.folder, only_child)

    def test_ctrl_c_mid_walk_saves_what_was_read(self):
        stop_mid_walk(self, [*LAUNCHER, str(PROGRAM)], self.folder / "stopped", windows_path,
                      signal.SIGINT, only_child)

    def test_new_runs_share_the_record_through_windows_paths(self):
        clip_new_articles_thrice(self, [*LAUNCHER, str(PROGRAM), "--folder",
                                        windows_path(self.folder)], self.folder)

    def test_runs_on_one_folder_take_turns(self):
        clip_two_sites_at_once(self, [*LAUNCHER, str(PROGRAM), "--folder",
                                      windows_path(self.folder)], self.folder, 3)

class WendrelClipTest(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="wendrel-clip-"))
        self.addCleanup(shutil.rmtree, self.folder)

    def run_clip(self, *arguments, program=None, cwd=None, environment=None, before=()):
        process = subprocess.run([*before, str(program or PROGRAM), *arguments], capture_output=True,
                                 timeout=RUN_LIMIT_SECONDS, cwd=cwd or self.folder,
                                 env=environment or os.environ)
        return Run(process)

    def clip(self, *arguments, **options):
        return self.run_clip("--since", "2008-07-16", "--site", SITE, "--folder",
                             str(self.folder), *arguments, **options)

    def entries(self):
        return sorted(entry.name for entry in self.folder.iterdir())

    def test_writes_the_bytes_of_the_engine_tests_and_says_so_last(self):
        # Over HTTPS with the test run's certificate authority named.
        secure = ["--site", fixture("secure.txt"), "--ca-file", str(FIXTURES / "site" / "ca.pem")]
        for folder, site in ((str(self.folder), []), (str(self.folder) + "/", secure)):
            with self.subTest(folder=folder, site=site):
                run = self.run_clip("--since", "2008-07-16", "--site", SITE, "--folder", folder,
                                    *site)
                self.assertEqual(run.status, 0, run.errors)
                path = self.folder / "2008-07-16.html"
                self.assertEqual(path.read_bytes(), expected_clip(site[1] if site else SITE))
                self.assertEqual(run.last_line(run.out), "Saved to %s" % path)
                self.assertEqual(self.entries(), ["2008-07-16.html"])
                path.unlink()  # the next site's clip would keep this one's articles

    def test_quiet_prints_only_the_status(self):
        run = self.clip("--quiet")
        self.assertEqual(run.out.decode(), "Saved to %s/2008-07-16.html\n" % self.folder)

    def test_each_ending_has_its_exit_status_and_last_line(self):
        earlier = self.folder / "2008-07-16.html"
        # An article the runs do not walk: every clip saved keeps it.
        kept = cleaned_article(SITE + "/elsewhere", 1, "지난 소식", "끝")
        refused = fixture("refused.txt")
        cases = [
            # The list page names no article: an earlier clip stays.
            (["--site", SITE + "/none"], 1, "out",
             "No articles found at %s/none/kisa/list/total/home01.html" % SITE, False),
            (["--site", SITE + "/site/undated"], 3, "out",
             "Saved to %s (stopped: 50 pages in a row had no date)" % earlier, True),
            (["--site", SITE + "/site/notes"], 3, "out",
             "Saved to %s (2 pages could not be read)" % earlier, True),
            # A walk the site cut short merges like any other.
            (["--site", SITE + "/site/gone", "--connections", "1"], 3, "out",
             "Saved to %s (stopped: the site refused 5 times in a row (HTTP status "
             "503); 5 pages could not be read)" % earlier, True),
            (["--folder", str(self.folder / "missing")], 4, "errors",
             "%s/missing/2008-07-16.html에 잘못된 경로가 있습니다." % self.folder, False),
            # Each cause of no answer is the fetcher tests' and the clip run's.
            (["--site", refused], 6, "out",
             "No answer from %s/kisa/list/total/home01.html (connection refused)" % refused, False),
        ]
        for arguments, status, stream, line, saved in cases:
            with self.subTest(status=status, line=line):
                earlier.write_bytes(kept)
                run = self.clip(*arguments)
                self.assertEqual(run.status, status, run.errors)
                self.assertEqual(run.last_line(getattr(run, stream)), line)
                self.assertTrue(earlier.read_bytes().endswith(kept))
                self.assertEqual(earlier.read_bytes() != kept, saved)
        self.assertEqual(self.entries(), ["2008-07-16.html"])

    def test_a_folder_that_takes_no_file_fails_before_the_first_request(self):
        read_only = self.folder / "read-only"
        read_only.mkdir(0o555)
        program, before = PROGRAM, []
        if os.geteuid() == 0:  # root writes to any folder: the run goes to another user
            self.folder.chmod(0o755)
            program = self.folder / "wendrel-clip"
            shutil.copy(PROGRAM, program)
            before = as_lone_user(self, program)
        tag = "/unwritable-folder"
        run = self.run_clip("--since", "2008-07-16", "--site", SITE + tag, "--folder",
                            str(read_only), "--quiet", program=program, before=before)

        self.assertEqual(run.status, 4, run.errors)
        self.assertEqual(run.last_line(run.errors),
                         "%s/2008-07-16.html 액세스가 거부되었습니다." % read_only)
        self.assertEqual(requests_seen(tag), "")
        self.assertEqual(list(read_only.iterdir()), [])

    def test_the_window_against_a_limiting_site_reads_every_page_as_one_at_a_time(self):
        # Enough articles for the window to be refused, few for the limiter's pace.
        articles = 8
        site = SITE + test_server.LIMITED_PREFIX + str(articles)
        before = int(answer_of("/refusals?of=limited"))
        run = self.clip("--site", site, "--connections", "4", "--quiet")
        self.assertEqual(run.status, 0, run.errors)
        self.assertEqual((self.folder / "2008-07-16.html").read_bytes(), b"".join(
            cleaned_article(site, n, "T%d" % n, "B") for n in range(articles, 0, -1)))
        self.assertGreater(int(answer_of("/refusals?of=limited")), before)

    def test_the_window_learns_the_pace_of_a_site_that_refuses_without_a_pause(self):
        before = int(answer_of("/refusals?of=paced"))
        run = self.clip("--site", SITE + test_server.PACED_PREFIX.rstrip("/"), "--quiet")
        refusals = int(answer_of("/refusals?of=paced")) - before
        self.assertEqual(run.status, 0, run.errors)
        clip = (self.folder / "2008-07-16.html").read_bytes()
        self.assertEqual(clip.count(b"<hr>"), test_server.LIMITED_ARTICLES)
        # The first pages of the window are refused at once; after them the
        # gap settles near the pace, and refusals are few.
        self.assertLessEqual(refusals, test_server.LIMITED_ARTICLES // 3)

    def test_bad_arguments_are_named_and_nothing_is_fetched(self):
        cases = [
            ["--since", "2008-02-30"],
            ["--since"],
            ["--connections", "0"],
            ["--site", "ftp://127.0.0.1"],
            ["--ca-file", "missing.pem"],
            ["--folder", ""],
            ["--verbose"],
        ]
        for number, arguments in enumerate(cases):
            with self.subTest(arguments=arguments):
                tag = "/bad-arguments-%d" % number
                run = self.run_clip("--site", SITE + tag, *arguments)
                self.assertEqual(run.status, 2)
                lines = run.errors.decode().splitlines()
                self.assertEqual(len(lines), 1)
                self.assertTrue(lines[0].startswith("wendrel-clip: " + arguments[0]), lines[0])
                self.assertEqual(requests_seen(tag), "")
        self.assertEqual(self.entries(), [])

    def test_defaults_come_from_the_settings_file_and_the_environment(self):
        program = self.folder / "program" / "wendrel-clip"
        program.parent.mkdir()
        shutil.copy(PROGRAM, program)
        clips = self.folder / "clips"
        clips.mkdir()
        environment = dict(os.environ, WENDREL_SITE=SITE)
        today = datetime.date.today().isoformat()

        # No settings file: the current folder. Today is the default date, and
        # the newest article, of 2008, ends the walk: an empty clip.
        run = self.run_clip(program=program, cwd=clips, environment=environment)
        self.assertEqual(run.status, 0, run.errors)
        self.assertEqual((clips / (today + ".html")).read_bytes(), b"")

        (program.parent / "Wendrel.ini").write_bytes(
            b"[Dest]\r\nSaveFolderName=" + str(clips).encode() + b"\r\n")
        # A trailing "/" is no part of the site's addresses.
        environment["WENDREL_SITE"] = SITE + "/"
        run = self.run_clip("--since", "2008-07-16", program=program, environment=environment)
        self.assertEqual(run.status, 0, run.errors)
        self.assertEqual((clips / "2008-07-16.html").read_bytes(), expected_clip(SITE))

    def test_a_reader_that_goes_away_costs_nothing(self):
        site = serve_site(self, SlowArticles)[0]
        process = subprocess.Popen(
            [str(PROGRAM), "--since", "2008-07-16", "--site", site, "--folder", str(self.folder),
             "--connections", "1"], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        first = process.stdout.readline()
        process.stdout.close()
        errors = process.stderr.read()
        process.wait(timeout=RUN_LIMIT_SECONDS)

        self.assertTrue(first.startswith(b"1 read, 0 unread: "), first)
        self.assertEqual(process.returncode, 0, errors)
        self.assertEqual((self.folder / "2008-07-16.html").read_bytes(), expected_clip(site))

    def test_wait_clips_a_site_that_comes_up_late(self):
        # As many requests as a run makes of a page without waiting go unanswered.
        site, server = serve_site(self, LateSite)
        server.unanswered = 3
        run = self.clip("--site", site, "--wait", "0", "--quiet")
        self.assertEqual((run.status, self.entries()), (6, []), run.errors)
        server.unanswered = 3
        run = self.clip("--site", site, "--wait", "60", "--quiet")
        self.assertEqual(run.status, 0, run.errors)
        self.assertEqual((self.folder / "2008-07-16.html").read_bytes(), expected_clip(site))

    def test_a_thread_that_cannot_start_ends_with_status_5_and_one_line(self):
        # The limit lets the Ctrl+C listener's thread, or the first fetch
        # thread, fail to start (leak checking would need a thread of its own).
        os.chown(self.folder, LONE_USER, LONE_USER)
        lone_user = as_lone_user(self, PROGRAM)
        for limit in (1, 2):
            with self.subTest(limit=limit):
                run = self.clip(before=[*lone_user, "prlimit", "--nproc=%d" % limit],
                                environment=dict(os.environ, ASAN_OPTIONS="detect_leaks=0"))
                self.assertEqual(run.status, 5, run.errors)
                self.assertRegex(run.errors.decode(),
                                 r"\Awendrel-clip: out of memory or another resource: .+\n\Z")
                self.assertEqual(self.entries(), [])

    def test_new_runs_clip_each_article_once(self):
        clip_new_articles_thrice(self, [str(PROGRAM), "--folder", str(self.folder)], self.folder)

    def test_runs_on_one_folder_take_turns(self):
        clip_two_sites_at_once(self, [str(PROGRAM), "--folder", str(self.folder)], self.folder, 8)

    def test_version_is_the_version_records(self):
        rc = (ROOT / "res" / "Wendrel.rc").read_text()
        version = ".".join(re.search(r"^FILEVERSION (\d+), (\d+), (\d+), (\d+)", rc, re.M).groups())
        run = self.run_clip("--version")
        self.assertEqual((run.status, run.out.decode()), (0, "wendrel-clip %s\n" % version))

    def test_ctrl_c_leaves_no_file_and_the_earlier_clip_intact(self):
        # A --new run stopped so writes no record either: the next run starts
        # where this one did.
        for new in ([], ["--new"]):
            with self.subTest(new=new):
                stop_with_ctrl_c(self, [str(PROGRAM), "--since", "2008-07-16", "--site",
                                        SITE + "/site/stalled", "--folder", str(self.folder),
                                        *new], self.folder, lambda process: process.pid)

    def test_a_stop_mid_walk_saves_what_was_read_once_into_the_clip(self):
        for stop in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=stop.name):
                stop_mid_walk(self, [str(PROGRAM)], self.folder / stop.name, str, stop,
                              lambda process: process.pid)


def main():
    global PROGRAM, FIXTURES, SITE, LAUNCHER
    case = sys.argv[1]
    PROGRAM = Path(sys.argv[2]).resolve()
    FIXTURES = Path(sys.argv[3])
    SITE = fixture("site.txt")
    LAUNCHER = sys.argv[4:]
    suite = unittest.defaultTestLoader.loadTestsFromName(case, sys.modules[__name__])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
