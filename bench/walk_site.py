#!/usr/bin/env python3
"""The walk benchmark: a local news site that answers each page after a fixed
delay, and whole walks over it timed against curl on the same addresses.

    walk_site.py --run WINE_RUN PREFIX WALK_BENCH_EXE --out JSON
                 [--clip WENDREL_CLIP] [--articles N] [--delay-ms MS] [--curl CURL]

Times the real fetcher under Wine with 1 and with 4 connections, with --clip
also the native wendrel-clip (libcurl) with 1 and 4, curl fetching the same
addresses one after another in one process, and curl with
"-Z --parallel-max 4"; writes the figures to JSON and prints them with the
targets, each "met" or "MISSED".
"""

import argparse
import http.server
import json
import os
import pathlib
import re
import shutil
import socketserver
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests"))
from test_server import news_page  # noqa: E402

PAGE_BYTES = 4500
ARTICLE_DATE = "2008-07-20"
LIST_PATH = "/kisa/list/total/home01.html"


def article_page(number):
    """About PAGE_BYTES of an article dated after the benchmark's since date."""
    title = b"<font size=4>Article %d</font>" % number
    frame = len(news_page(ARTICLE_DATE, title, b""))
    filler = b"<P align=justify />" + b"news text " * PAGE_BYTES
    return news_page(ARTICLE_DATE, title, filler[:PAGE_BYTES - frame])


def handler_for(articles, delay):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"
        disable_nagle_algorithm = True

        def log_message(self, *args):
            pass

        def do_GET(self):
            time.sleep(delay)
            match = re.fullmatch(r"/arti/(\d+)\.html", self.path)
            if self.path == LIST_PATH:
                base = "http://%s:%d" % self.server.server_address
                body = b'<html><a href="%s/arti/%d.html">top</a></html>' % (base.encode(), articles)
            elif match and 1 <= int(match.group(1)) <= articles:
                body = article_page(int(match.group(1)))
            else:
                self.send_error(404)
                return
            # One write for the whole answer: a client that waits for the
            # headers' packet to be acknowledged must not cost the walk.
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                             b"Content-Length: %d\r\n\r\n" % len(body) + body)

    return Handler


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


def add_ratios(figures, run, key_prefix):
    """The targets' ratios of one fetcher's walks (run_1, run_4) to curl's."""
    figures[key_prefix + "ratio_1_to_curl_sequential"] = (figures[run + "_1"] /
                                                         figures["curl_sequential"])
    figures[key_prefix + "ratio_4_to_curl_parallel"] = (figures[run + "_4"] /
                                                       figures["curl_parallel_4"])
    figures[key_prefix + "speed_up_4_over_1"] = figures[run + "_1"] / figures[run + "_4"]


def print_targets(figures, name, key_prefix):
    def target(text, value, holds):
        print("  %-6s %s: %s" % ("met" if holds else "MISSED", text, value))

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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run", nargs=3, metavar=("WINE_RUN", "PREFIX", "EXE"), required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--articles", type=int, default=1600)
    parser.add_argument("--delay-ms", type=int, default=30)
    parser.add_argument("--curl", default="curl")
    parser.add_argument("--clip")
    args = parser.parse_args()

    work = pathlib.Path(tempfile.mkdtemp(prefix="wendrel-walk-"))
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
        shutil.rmtree(work, ignore_errors=True)

    runs = [("wininet", "WinInet under Wine", "")]
    if args.clip:
        runs.append(("clip", "native wendrel-clip", "clip_"))
    for run, _, key_prefix in runs:
        add_ratios(figures, run, key_prefix)
    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    with open(args.out, "w") as out:
        json.dump(figures, out, indent=2)

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
    return 0


if __name__ == "__main__":
    sys.exit(main())
