#!/usr/bin/env python3
"""The walk benchmark: a local news site that answers each page after a fixed
delay, and whole walks over it timed against curl on the same addresses.

    walk_site.py [--run WINE_RUN PREFIX WALK_BENCH_EXE] [--clip WENDREL_CLIP]
                 --out JSON [--only CASE...] [--articles N] [--delay-ms MS] [--curl CURL]
                 [--nginx NGINX]

The cases (all unless --only names some):
  walk     the real fetcher under Wine (--run) with 1 and with 4 connections,
           with --clip also the native wendrel-clip (libcurl) with 1 and 4,
           curl fetching the same addresses one after another in one process,
           and curl with "-Z --parallel-max 4";
  limiter  the same programs with 1 and 4 connections against the test site
           that limits each client (tests/test_server.py, /limited/): time,
           429 answers drawn and pages read;
  endless  the native wendrel-clip (--clip) against a site where one article's
           page never ends: the other articles saved, and the run's peak memory;
  jumping  the native wendrel-clip --new from a record against a site whose
           list page names article 2147483647 and whose every page answers at
           once: the walk's bound, the record unmoved, time and peak memory.
  refusing both programs with the default window against a site of 400 articles
           answered after 20 ms that refuses with a bare 503: once (the fifth
           request), for its first 12 s (an outage), and every second article
           request (a flaky backend), each timed against the clean walk;
  nginx    both programs with the default window against nginx on 127.0.0.1,
           started with a configuration of its own in front of the site, whose
           limit_req refuses with a bare 503: 2 requests a second without a
           burst over 60 articles, 5 a second with burst=10 nodelay over 200:
           time against the limit's (articles / rate), refusals per article,
           and the clip against one fetched one page at a time.
Writes the figures to JSON and prints them with the targets, each "met" or
"MISSED".
"""

import argparse
import http.server
import json
import os
import pathlib
import re
import resource
import shutil
import socket
import socketserver
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests"))
import test_server  # noqa: E402
from test_server import news_page  # noqa: E402

PAGE_BYTES = 4500
ARTICLE_DATE = "2008-07-20"
LIST_PATH = "/kisa/list/total/home01.html"
SINCE = "2008-07-16"
ENDLESS_ARTICLES = 10
ENDLESS_ARTICLE = 5
MEMORY_TARGET_MIB = 200
# A run without a bound on its pages would take the machine's memory with it:
# the endless case stops it here, an out-of-memory exit.
ENDLESS_ADDRESS_SPACE = 2 << 30
JUMPING_NEWEST = 2**31 - 1
JUMPING_RECORD = 10
# "Within a few minutes", with room for a slow machine.
JUMPING_LIMIT_SECONDS = 180


def article_page(number):
    """About PAGE_BYTES of an article dated after the benchmark's since date."""
    title = b"<font size=4>Article %d</font>" % number
    frame = len(news_page(ARTICLE_DATE, title, b""))
    filler = b"<P align=justify />" + b"news text " * PAGE_BYTES
    return news_page(ARTICLE_DATE, title, filler[:PAGE_BYTES - frame])


def handler_for(articles, delay, endless=0, refusals=None):
    """A site of articles, each answered after delay; the page of article
    endless, when given, sends bytes for as long as the client takes them;
    the requests that refusals (Refusals) picks are answered a bare 503."""
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"
        disable_nagle_algorithm = True

        def log_message(self, *args):
            pass

        def do_GET(self):
            time.sleep(delay)
            match = re.fullmatch(r"/arti/(\d+)\.html", self.path)
            if refusals and refusals.refuses(match is not None):
                self.wfile.write(b"HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/html\r\n"
                                 b"Content-Length: 4\r\n\r\nbusy")
                return
            if self.path == LIST_PATH:
                # The address the client asked, a proxy in front included.
                base = "http://" + self.headers["Host"]
                body = b'<html><a href="%s/arti/%d.html">top</a></html>' % (base.encode(), articles)
            elif match and int(match.group(1)) == endless:
                self.send_endless()
                return
            elif match and 1 <= int(match.group(1)) <= articles:
                body = article_page(int(match.group(1)))
            else:
                self.send_error(404)
                return
            # One write for the whole answer: a client that waits for the
            # headers' packet to be acknowledged must not cost the walk.
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                             b"Content-Length: %d\r\n\r\n" % len(body) + body)

        def send_endless(self):
            self.close_connection = True
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                             b"Connection: close\r\n\r\n")
            piece = test_server.pattern(1 << 16)
            try:
                while True:
                    self.wfile.write(piece)
            except OSError:
                pass

    return Handler


REFUSING_ARTICLES = 400
REFUSING_DELAY_MS = 20
OUTAGE_SECONDS = 12
# (kind, what it is, the most time as (times the clean walk, seconds over))
REFUSING_KINDS = [
    ("single", "the fifth request refused once", 1.5, 2),
    ("outage", "every request refused for the first %d s" % OUTAGE_SECONDS, 3,
     OUTAGE_SECONDS + 15),
    ("flaky", "every second article request refused", 4, 30),
]


class Refusals:
    """Which requests of one run a site refuses, by kind: none ("clean"), the
    fifth ("single"), every one in the first OUTAGE_SECONDS from the first
    ("outage"), every second article request ("flaky")."""

    def __init__(self, kind):
        self.kind = kind
        self.lock = threading.Lock()
        self.requests = 0
        self.article_requests = 0
        self.first = None
        self.refused = 0

    def refuses(self, article):
        with self.lock:
            now = time.monotonic()
            self.first = self.first or now
            self.requests += 1
            self.article_requests += 1 if article else 0
            refused = {"clean": False,
                       "single": self.requests == 5,
                       "outage": now - self.first < OUTAGE_SECONDS,
                       "flaky": article and self.article_requests % 2 == 0}[self.kind]
            self.refused += 1 if refused else 0
            return refused


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    request_queue_size = 64


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def timed(command):
    started = time.monotonic()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - started


def walk(run, base, folder, connections):
    """Seconds of one clip run as the program itself measured it."""
    wine_run, prefix, exe = run
    output = folder / ("walk-%d.txt" % connections)
    with open(output, "w") as out:
        subprocess.run([wine_run, prefix, exe, base, windows_path(folder), str(connections)],
                       check=True, stdout=out)
    text = output.read_text()
    print("  %d connection(s): %s" % (connections, " | ".join(text.strip().splitlines())))
    return float(re.search(r"seconds: ([0-9.]+)", text).group(1))


def clip_walk(program, base, folder, connections):
    """Seconds of one whole run of the native wendrel-clip, its start included."""
    seconds = timed([program, "--since", "2008-07-16", "--site", base, "--folder", str(folder),
                     "--connections", str(connections), "--quiet"])
    print("  wendrel-clip, %d connection(s): %.2f s" % (connections, seconds))
    return seconds


def unread_pages(status):
    found = re.search(r"(\d+) pages? could not be read", status)
    return int(found.group(1)) if found else 0


def limited_walk(run, program, base, folder, connections):
    """One run against the limiting site through walk_bench.exe (run) or the
    native wendrel-clip (program): seconds, 429 answers drawn, pages read and
    the clip's bytes."""
    # The limiter forgets a client one second after its last request.
    time.sleep(1.5)
    refusals = test_server.LIMITER.refusals
    clip = folder / (SINCE + ".html")
    if clip.exists():
        clip.unlink()
    output = folder / "limited.txt"
    with open(output, "w") as out:
        if run:
            wine_run, prefix, exe = run
            subprocess.run([wine_run, prefix, exe, base, windows_path(folder), str(connections)],
                           stdout=out)
            text = output.read_text()
            seconds = float(re.search(r"seconds: ([0-9.]+)", text).group(1))
            status = re.search(r"status: (.*)", text).group(1)
        else:
            started = time.monotonic()
            subprocess.run([program, "--since", SINCE, "--site", base, "--folder", str(folder),
                            "--connections", str(connections), "--quiet"], stdout=out)
            seconds = time.monotonic() - started
            status = output.read_text().strip()
    drawn = test_server.LIMITER.refusals - refusals
    read = test_server.LIMITED_ARTICLES - unread_pages(status)
    print("  %d connection(s): %.2f s, %d answers 429, %d of %d pages read | %s"
          % (connections, seconds, drawn, read, test_server.LIMITED_ARTICLES, status))
    return {"seconds": seconds, "answers_429": drawn, "pages_read": read,
            "clip": clip.read_bytes() if clip.exists() else None}


def fetchers_of(args):
    """The programs asked for: (key, title, walk_bench under Wine, wendrel-clip)."""
    fetchers = []
    if args.run:
        fetchers.append(("wininet", "WinInet under Wine", args.run, None))
    if args.clip:
        fetchers.append(("clip", "native wendrel-clip", None, args.clip))
    return fetchers


def limiter_case(args, work):
    """Both fetchers with 1 and 4 connections against the limiting site."""
    server = test_server.SiteServer()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = "http://127.0.0.1:%d%s" % (server.server_address[1],
                                      test_server.LIMITED_PREFIX.rstrip("/"))
    fetchers = fetchers_of(args)
    figures = {}
    try:
        for name, title, run, program in fetchers:
            print("Limiting site (429 with Retry-After: 1 past 2 requests a second), %s:"
                  % title)
            figures[name] = {str(connections): limited_walk(run, program, base, work, connections)
                             for connections in (1, 4)}
    finally:
        server.shutdown()
    for name, title, _, _ in fetchers:
        one, four = figures[name]["1"], figures[name]["4"]
        print("Targets, limiting site, %s:" % title)
        target("4 connections read every page", "%d of %d" % (
            four["pages_read"], test_server.LIMITED_ARTICLES),
            four["pages_read"] == test_server.LIMITED_ARTICLES)
        target("4 connections write the clip of 1", "equal" if four["clip"] == one["clip"]
               else "different", four["clip"] is not None and four["clip"] == one["clip"])
        target("4 connections within 1.25 times the time of 1", "%.2f times" % (
            four["seconds"] / one["seconds"]), four["seconds"] <= 1.25 * one["seconds"])
        target("4 connections draw at most twice the 429 answers of 1", "%d and %d" % (
            four["answers_429"], one["answers_429"]),
            four["answers_429"] <= 2 * one["answers_429"])
        for run in (one, four):
            run.pop("clip")
    return figures


def limit_address_space():
    resource.setrlimit(resource.RLIMIT_AS, (ENDLESS_ADDRESS_SPACE, ENDLESS_ADDRESS_SPACE))


def measured_run(handler, arguments_of, output):
    """One native run against a site served by handler, with the arguments
    arguments_of gives for the site's address, its output to the file output:
    seconds, exit status, peak resident memory and last line."""
    server = Server(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = "http://127.0.0.1:%d" % server.server_address[1]
    try:
        arguments = arguments_of(base)
        started = time.monotonic()
        with open(output, "w") as out:
            process = subprocess.Popen([*arguments, "--site", base, "--quiet"], stdout=out,
                                       stderr=subprocess.STDOUT, preexec_fn=limit_address_space)
            _, status, usage = os.wait4(process.pid, 0)
        seconds = time.monotonic() - started
    finally:
        server.shutdown()
    return {"seconds": seconds, "exit_status": os.waitstatus_to_exitcode(status),
            "peak_mib": usage.ru_maxrss / 1024, "status": output.read_text().strip()}


def endless_case(args, work):
    """The native wendrel-clip against a site with one page that never ends:
    its status, the articles saved and its peak resident memory."""
    figures = measured_run(handler_for(ENDLESS_ARTICLES, 0, ENDLESS_ARTICLE),
                           lambda base: [args.clip, "--since", SINCE, "--folder", str(work)],
                           work / "endless.txt")
    seconds = figures["seconds"]
    clip = work / (SINCE + ".html")
    saved = clip.read_bytes().count(test_server.TITLE_MARKER) if clip.exists() else 0
    figures["articles_saved"] = saved
    print("Endless page (article %d of %d), native wendrel-clip: %.1f s, exit %d, peak %.1f MiB"
          " | %s" % (ENDLESS_ARTICLE, ENDLESS_ARTICLES, seconds, figures["exit_status"],
                     figures["peak_mib"], figures["status"]))
    print("Targets, endless page, native wendrel-clip:")
    target("the other articles saved", "%d of %d" % (saved, ENDLESS_ARTICLES - 1),
           saved == ENDLESS_ARTICLES - 1)
    target("peak memory at most %d MiB" % MEMORY_TARGET_MIB, "%.1f MiB" % figures["peak_mib"],
           figures["peak_mib"] <= MEMORY_TARGET_MIB)
    return figures


def jumping_case(args, work):
    """The native wendrel-clip --new from a record at JUMPING_RECORD against a
    site whose list page names article JUMPING_NEWEST, every page answered at
    once: the walk ends at its bound within minutes and the record stays."""
    folder = work / "jumping"
    folder.mkdir()
    record = folder / "wendrel-record.txt"

    def arguments_of(base):
        record.write_bytes(b"%s %d\r\n" % (base.encode(), JUMPING_RECORD))
        return [args.clip, "--new", "--folder", str(folder)]

    figures = measured_run(handler_for(JUMPING_NEWEST, 0), arguments_of, work / "jumping.txt")
    recorded = record.read_bytes()
    day_files = list(folder.glob("*.html"))
    figures["pages_saved"] = day_files[0].read_bytes().count(b"<hr>") if day_files else 0
    print("List page jumping to %d from a record at %d, native wendrel-clip --new: %.1f s, "
          "exit %d, %d pages saved, peak %.1f MiB | %s"
          % (JUMPING_NEWEST, JUMPING_RECORD, figures["seconds"], figures["exit_status"],
             figures["pages_saved"], figures["peak_mib"], figures["status"]))
    print("Targets, jumping list page, native wendrel-clip --new:")
    target("ends within %d s with status 3" % JUMPING_LIMIT_SECONDS, "%.1f s, status %d" % (
        figures["seconds"], figures["exit_status"]),
        figures["seconds"] <= JUMPING_LIMIT_SECONDS and figures["exit_status"] == 3)
    target("the record unmoved", recorded.decode().strip(),
           recorded.endswith(b" %d\r\n" % JUMPING_RECORD))
    target("peak memory at most %d MiB" % MEMORY_TARGET_MIB, "%.1f MiB" % figures["peak_mib"],
           figures["peak_mib"] <= MEMORY_TARGET_MIB)
    return figures


def target(text, value, holds):
    print("  %-6s %s: %s" % ("met" if holds else "MISSED", text, value))


def add_ratios(figures, run, key_prefix):
    """The targets' ratios of one fetcher's walks (run_1, run_4) to curl's."""
    figures[key_prefix + "ratio_1_to_curl_sequential"] = (figures[run + "_1"] /
                                                         figures["curl_sequential"])
    figures[key_prefix + "ratio_4_to_curl_parallel"] = (figures[run + "_4"] /
                                                       figures["curl_parallel_4"])
    figures[key_prefix + "speed_up_4_over_1"] = figures[run + "_1"] / figures[run + "_4"]


def print_targets(figures, name, key_prefix):
    print("Targets, %s:" % name)
    target("1 connection within 1.1 times sequential curl",
           "%.2f times" % figures[key_prefix + "ratio_1_to_curl_sequential"],
           figures[key_prefix + "ratio_1_to_curl_sequential"] <= 1.1)
    target("4 connections within 1.25 times parallel curl",
           "%.2f times" % figures[key_prefix + "ratio_4_to_curl_parallel"],
           figures[key_prefix + "ratio_4_to_curl_parallel"] <= 1.25)
    target("4 connections at least 3 times faster than 1",
           "%.2f times" % figures[key_prefix + "speed_up_4_over_1"],
           figures[key_prefix + "speed_up_4_over_1"] >= 3)


def walk_case(args, work):
    """Whole walks over the delayed site, beside curl."""
    server = Server(("127.0.0.1", 0), handler_for(args.articles, args.delay_ms / 1000))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        base = "http://127.0.0.1:%d" % server.server_address[1]
        addresses = [base + LIST_PATH] + ["%s/arti/%d.html" % (base, number)
                                          for number in range(args.articles, 0, -1)]
        config = work / "curl.txt"
        config.write_text("".join('url = "%s"\noutput = "/dev/null"\n' % address
                                  for address in addresses))
        print("Walk over %d articles, each page answered after %d ms:"
              % (args.articles, args.delay_ms))
        figures = {
            "articles": args.articles,
            "delay_ms": args.delay_ms,
            "wininet_1": walk(args.run, base, work, 1),
            "wininet_4": walk(args.run, base, work, 4),
            "curl_sequential": timed([args.curl, "-s", "-K", str(config)]),
            "curl_parallel_4": timed([args.curl, "-s", "-Z", "--parallel-max", "4",
                                      "-K", str(config)]),
        }
        if args.clip:
            for connections in (1, 4):
                figures["clip_%d" % connections] = clip_walk(args.clip, base, work, connections)
    finally:
        server.shutdown()

    runs = [("wininet", "WinInet under Wine", "")]
    if args.clip:
        runs.append(("clip", "native wendrel-clip", "clip_"))
    for run, _, key_prefix in runs:
        add_ratios(figures, run, key_prefix)

    print()
    print("| run | seconds |")
    print("|---|---:|")
    for run, _, _ in runs:
        for connections in (1, 4):
            name = "%s_%d" % (run, connections)
            print("| %s | %.2f |" % (name, figures[name]))
    for name in ("curl_sequential", "curl_parallel_4"):
        print("| %s | %.2f |" % (name, figures[name]))
    for run, title, key_prefix in runs:
        print()
        print_targets(figures, title, key_prefix)
    return figures


NGINX_CONFIG = """
worker_processes 1;
pid {work}/nginx.pid;
error_log {work}/nginx-error.log;
events {{ worker_connections 256; }}
http {{
    log_format status '$status $msec $request_uri';
    access_log {work}/nginx-access.log status;
    client_body_temp_path {work}/nginx-body;
    proxy_temp_path {work}/nginx-proxy;
    fastcgi_temp_path {work}/nginx-fastcgi;
    uwsgi_temp_path {work}/nginx-uwsgi;
    scgi_temp_path {work}/nginx-scgi;
    limit_req_zone $binary_remote_addr zone=site:1m rate={rate}r/s;
    server {{
        listen 127.0.0.1:{port};
        location / {{
            limit_req zone=site{burst};
            proxy_pass http://{site};
            proxy_http_version 1.1;
            proxy_set_header Connection "";
            proxy_set_header Host $http_host;
        }}
    }}
}}
"""
# (articles, requests a second, burst, the most time against the limit's
# and seconds over it, the most refusals per article)
NGINX_LIMITS = [(60, 2, 0, 1.2, 0, 0.1), (200, 5, 10, 1.3, 0, None)]


def start_nginx(nginx, work, site, rate, burst):
    """nginx in the foreground on a free loopback port with work/nginx.conf, in
    front of site; the process and its address."""
    port = test_server.unused_port()
    (work / "nginx-access.log").write_text("")
    (work / "nginx.conf").write_text(NGINX_CONFIG.format(
        work=work, rate=rate, port=port, site=site,
        burst=" burst=%d nodelay" % burst if burst else ""))
    process = subprocess.Popen([nginx, "-p", str(work), "-e", str(work / "nginx-error.log"),
                                "-c", str(work / "nginx.conf"), "-g", "daemon off;"],
                               stdin=subprocess.DEVNULL)
    base = "http://127.0.0.1:%d" % port
    deadline = time.monotonic() + 10
    while True:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return process, base
        except OSError:
            if process.poll() is not None or time.monotonic() > deadline:
                raise SystemExit("nginx did not start; see %s" % (work / "nginx-error.log"))
            time.sleep(0.05)


def stop_nginx(process):
    process.terminate()
    process.wait(timeout=10)


def refusals(work):
    return [line.split()[0] for line in (work / "nginx-access.log").read_text().splitlines()].count("503")


def default_window_walk(run, program, base, folder):
    """One run of walk_bench.exe (run) or the native wendrel-clip (program)
    with the default window: seconds, the status, the clip."""
    clip = folder / (SINCE + ".html")
    if clip.exists():
        clip.unlink()
    output = folder / "walk.txt"
    with open(output, "w") as out:
        started = time.monotonic()
        if run:
            wine_run, prefix, exe = run
            subprocess.run([wine_run, prefix, exe, base, windows_path(folder), "4"], stdout=out)
        else:
            subprocess.run([program, "--since", SINCE, "--site", base, "--folder", str(folder),
                            "--quiet"], stdout=out)
        seconds = time.monotonic() - started
    text = output.read_text()
    if run:
        seconds = float(re.search(r"seconds: ([0-9.]+)", text).group(1))
        text = re.search(r"status: (.*)", text).group(1)
    return seconds, text.strip(), clip.read_bytes() if clip.exists() else None


def nginx_case(args, work):
    """Both programs through nginx's limit_req, against a clip fetched one page
    at a time straight from the site."""
    fetchers = fetchers_of(args)
    figures = {}
    for articles, rate, burst, most_times, most_over, most_refusals in NGINX_LIMITS:
        name = "%d_per_second%s" % (rate, "_burst_%d" % burst if burst else "")
        folder = work / name
        folder.mkdir()
        title = "nginx limit_req %d r/s%s, %d articles" % (
            rate, " burst=%d nodelay" % burst if burst else " no burst", articles)
        server = Server(("127.0.0.1", 0), handler_for(articles, 0))
        threading.Thread(target=server.serve_forever, daemon=True).start()
        site = "127.0.0.1:%d" % server.server_address[1]
        try:
            subprocess.run([args.clip, "--since", SINCE, "--site", "http://" + site, "--folder",
                            str(folder), "--connections", "1", "--quiet"], check=True,
                           stdout=subprocess.DEVNULL)
            alone = (folder / (SINCE + ".html")).read_bytes()
            process, base = start_nginx(args.nginx, work, site, rate, burst)
            try:
                print("%s:" % title)
                limit = articles / rate
                figures[name] = {}
                for key, fetcher, run, program in fetchers:
                    time.sleep(2)  # the limiter forgets the last run
                    before = refusals(work)
                    seconds, status, clip = default_window_walk(run, program, base, folder)
                    refused = refusals(work) - before
                    equal = clip == alone.replace(site.encode(), base[len("http://"):].encode())
                    figures[name][key] = {"seconds": seconds, "limit_seconds": limit,
                                          "refusals": refused, "status": status}
                    print("  %s: %.2f s (%.2f times the limit's %.0f s), %d refusals for %d "
                          "articles (%.2f each) | %s" % (fetcher, seconds, seconds / limit, limit,
                                                         refused, articles, refused / articles,
                                                         status))
                    print("Targets, %s, %s:" % (title, fetcher))
                    target("every page read, the clip of one page at a time",
                           "equal" if equal else "different", equal)
                    target("at most %.1f times the limit's time%s" % (
                        most_times, " plus %d s" % most_over if most_over else ""),
                        "%.2f s against %.2f s" % (seconds, most_times * limit + most_over),
                        seconds <= most_times * limit + most_over)
                    if most_refusals is not None:
                        most = -(-most_refusals * articles // 1)
                        target("at most %d refusals (%d%% of the articles, rounded up)" % (
                            most, most_refusals * 100), "%d of %d" % (refused, articles),
                            refused <= most)
            finally:
                stop_nginx(process)
        finally:
            server.shutdown()
    return figures


def refused_walk(run, program, kind, folder):
    """One run with the default window against a site refusing as kind says:
    seconds, the status, refusals drawn and pages unread."""
    refusals = Refusals(kind)
    server = Server(("127.0.0.1", 0),
                    handler_for(REFUSING_ARTICLES, REFUSING_DELAY_MS / 1000, refusals=refusals))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        seconds, status, _ = default_window_walk(
            run, program, "http://127.0.0.1:%d" % server.server_address[1], folder)
    finally:
        server.shutdown()
    return {"seconds": seconds, "status": status, "refusals": refusals.refused,
            "unread": unread_pages(status)}


def refusing_case(args, work):
    """Both programs against sites that refuse once, for a while, or now and
    then, each against the clean walk of the same site."""
    figures = {}
    print("Refusing sites: %d articles answered after %d ms, the default window:"
          % (REFUSING_ARTICLES, REFUSING_DELAY_MS))
    for key, title, run, program in fetchers_of(args):
        figures[key] = {kind: refused_walk(run, program, kind, work)
                        for kind in ["clean"] + [kind for kind, *_ in REFUSING_KINDS]}
        for kind, walked in figures[key].items():
            print("  %s, %s: %.2f s, %d refusals, %d pages unread | %s" % (
                title, kind, walked["seconds"], walked["refusals"], walked["unread"],
                walked["status"]))
    for key, title, _, _ in fetchers_of(args):
        clean = figures[key]["clean"]["seconds"]
        print("Targets, refusing sites, %s (clean walk %.2f s):" % (title, clean))
        for kind, what, times, over in REFUSING_KINDS:
            walked = figures[key][kind]
            most = times * clean + over
            target("%s: within %g times the clean walk plus %d s" % (what, times, over),
                   "%.2f s against %.2f s" % (walked["seconds"], most), walked["seconds"] <= most)
        outage = figures[key]["outage"]
        target("the outage: every page read", outage["status"],
               outage["status"].startswith("Saved to") and outage["unread"] == 0)
    return figures


CASES = {"walk": walk_case, "limiter": limiter_case, "endless": endless_case,
         "jumping": jumping_case, "refusing": refusing_case, "nginx": nginx_case}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run", nargs=3, metavar=("WINE_RUN", "PREFIX", "EXE"))
    parser.add_argument("--out", required=True)
    parser.add_argument("--only", nargs="+", choices=sorted(CASES), default=list(CASES))
    parser.add_argument("--articles", type=int, default=1600)
    parser.add_argument("--delay-ms", type=int, default=30)
    parser.add_argument("--curl", default="curl")
    parser.add_argument("--clip")
    parser.add_argument("--nginx", default="nginx")
    args = parser.parse_args()
    if "walk" in args.only and not args.run:
        parser.error("the walk case needs --run")
    for case in ("endless", "jumping", "nginx"):
        if case in args.only and not args.clip:
            parser.error("the %s case needs --clip" % case)

    work = pathlib.Path(tempfile.mkdtemp(prefix="wendrel-walk-"))
    figures = {}
    try:
        for case in args.only:
            # A folder of its own: a clip file keeps the articles it held, so
            # another case's clip of the date would grow this one's.
            folder = work / case
            folder.mkdir()
            figures.update(CASES[case](args, folder) if case == "walk"
                           else {case: CASES[case](args, folder)})
            print()
    finally:
        shutil.rmtree(work, ignore_errors=True)

    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    with open(args.out, "w") as out:
        json.dump(figures, out, indent=2)
    return 0


if __name__ == "__main__":
    sys.exit(main())
