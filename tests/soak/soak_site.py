#!/usr/bin/env python3
"""Fault soak: a news site of many articles that fails at random, and one clip
run of the real Windows fetcher and writer against it.

    soak_site.py --run WINE_RUN PREFIX SOAK_EXE [--articles N] [--seed S]

The site cuts 5% of the bodies short, answers 404 for 5%, stalls 1% past the
run's time-out and redirects 2%, chosen by a seeded generator. Every body it
sends is written to a folder as sent, which the run compares its clip with.
"""

import argparse
import datetime
import http.server
import os
import pathlib
import random
import shutil
import socketserver
import subprocess
import sys
import tempfile
import threading
import time

DATE_LABEL = "기사등록".encode("cp949")
TITLE_MARKER = b"<!-- #####  news title ##### -->"
TEXT_START_MARKER = b"<!-- ##### news text - auto ST ##### -->"
END_MARKER = b"<!-- ##### news text - auto END ##### -->"
ARTICLES_PER_DAY = 10
FIRST_DAY = datetime.date(2008, 1, 1)
TIME_OUT_MS = 1000
STALL_SECONDS = 3
WORDS = [w.encode("cp949") for w in
         ("서울", "경제", "정부", "발표", "시장", "국회", "오늘", "기자", "지역", "소식", "회의", "가격")]


def article_date(number):
    return FIRST_DAY + datetime.timedelta(days=(number - 1) // ARTICLES_PER_DAY)


def article_page(number):
    rng = random.Random(number)
    paragraphs = []
    for _ in range(rng.randint(8, 30)):
        words = b" ".join(rng.choice(WORDS) for _ in range(rng.randint(10, 40)))
        paragraphs.append(b"<tr><td class=\"t%d\"><font size=2>" % rng.randint(1, 4) + words +
                          b"</font></td></tr><P align=justify />")
    links = b"".join(b'<a href="/arti/%d.html">%s</a>' % (rng.randint(1, 50), rng.choice(WORDS))
                     for _ in range(rng.randint(1, 4)))
    return (b"<html><table><tr><td class=\"info\">" + DATE_LABEL + b" : <span>" +
            article_date(number).isoformat().encode() + b" 09:%02d</span></td></tr></table>\n" %
            (number % 60) + TITLE_MARKER + b"<font size=4>" + rng.choice(WORDS) + b" %d</font>" % number +
            TEXT_START_MARKER + b"<div><table>" + b"".join(paragraphs) + b"</table></div>" + links +
            b"<script>// fontSet();</script>" + END_MARKER + b"\n<div>footer</div></html>")


class Site:
    def __init__(self, articles, seed, sent):
        self.articles = articles
        self.sent = sent
        rng = random.Random(seed)
        self.faults = {}
        for number in range(1, articles + 1):
            draw = rng.random()
            if draw < 0.05:
                self.faults[number] = ("cut", rng.uniform(0.1, 0.9))
            elif draw < 0.10:
                self.faults[number] = ("404", 0)
            elif draw < 0.11:
                self.faults[number] = ("stall", rng.uniform(0.1, 0.9))
            elif draw < 0.13:
                self.faults[number] = ("redirect", 0)
        self.served = {"cut": 0, "404": 0, "stall": 0, "redirect": 0, "whole": 0}
        self.lock = threading.Lock()

    def record(self, name, body, kind):
        (self.sent / name).write_bytes(body)
        with self.lock:
            self.served[kind] += 1


def handler_for(site):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def send_body(self, status, body, part=None):
            self.send_response(status)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body if part is None else body[:part])
            self.wfile.flush()
            self.close_connection = True

        def do_GET(self):
            path = self.path
            if path == "/kisa/list/total/home01.html":
                base = "http://%s:%d" % self.server.server_address
                body = b'<html><a href="%s/arti/%d.html">top</a></html>' % (base.encode(), site.articles)
                site.record("list", body, "whole")
                return self.send_body(200, body)
            moved = path.startswith("/moved/")
            name = path[len("/moved"):] if moved else path
            if not (name.startswith("/arti/") and name.endswith(".html")):
                return self.send_body(404, b"no such page")
            number = int(name[len("/arti/"):-len(".html")])
            body = article_page(number)
            kind, share = site.faults.get(number, ("whole", 0))
            if moved or kind == "whole":
                site.record(str(number), body, "whole" if not moved else "redirect")
                return self.send_body(200, body)
            if kind == "redirect":
                self.send_response(302)
                self.send_header("Location", "/moved" + name)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            if kind == "404":
                page = b"<html><body><h1>404 Not Found</h1></body></html>"
                site.record(str(number), page, "404")
                return self.send_body(404, page)
            part = int(len(body) * share)
            site.record(str(number), body[:part], kind)
            self.send_body(200, body, part)
            if kind == "stall":
                time.sleep(STALL_SECONDS)

    return Handler


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--run", nargs=3, metavar=("WINE_RUN", "PREFIX", "SOAK_EXE"), required=True)
    parser.add_argument("--articles", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=949)
    args = parser.parse_args()

    work = pathlib.Path(tempfile.mkdtemp(prefix="wendrel-soak-"))
    try:
        sent = work / "sent"
        clips = work / "clips"
        sent.mkdir()
        clips.mkdir()
        site = Site(args.articles, args.seed, sent)
        server = Server(("127.0.0.1", 0), handler_for(site))
        threading.Thread(target=server.serve_forever, daemon=True).start()
        base = "http://127.0.0.1:%d" % server.server_address[1]
        # The walk covers all but the oldest twentieth of the site.
        since = article_date(max(1, args.articles // 20)).isoformat()
        faults = {kind: sum(1 for k, _ in site.faults.values() if k == kind)
                  for kind in ("cut", "404", "stall", "redirect")}
        print("articles on the site: %d, since %s, seed %d" % (args.articles, since, args.seed))
        print("faults planned: " + ", ".join("%s %d" % item for item in faults.items()))
        wine_run, prefix, exe = args.run
        started = time.monotonic()
        result = subprocess.run([wine_run, prefix, exe, base, since, windows_path(clips),
                                 windows_path(sent), str(TIME_OUT_MS)])
        print("wall time with Wine: %.1f s" % (time.monotonic() - started))
        print("faults served: " + ", ".join("%s %d" % item for item in site.served.items()))
        server.shutdown()
        return result.returncode
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
