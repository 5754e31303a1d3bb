#!/usr/bin/env python3
"""A local news site that misbehaves on purpose, for the fetcher and clip tests.

    test_server.py start STATE_DIR   serve in the background on a free loopback port
    test_server.py stop STATE_DIR    end the server started with STATE_DIR
    test_server.py serve STATE_DIR   serve in the foreground (what start runs)

start returns once the server listens and STATE_DIR/site.txt holds its base
address ("http://127.0.0.1:PORT"); STATE_DIR/refused.txt holds an address on a
loopback port where nothing listens, and STATE_DIR/unaccepting.txt one on a
port that listens with a full backlog, so that a connection never completes.
The same site is served over HTTPS at STATE_DIR/secure.txt's address
("https://localhost:PORT"), with a certificate for localhost from a CA made
for the run, STATE_DIR/ca.pem; STATE_DIR/untrusted.txt's address serves it
with a certificate that no one trusts.
Bad endings: /cut closes after 2048 of 4096 announced bytes, /chunked?cut=1
before its last chunk, /headers-cut within the headers; /reset?after=N resets
after N bytes; /stall sends 1500 bytes, /silent nothing; /endless (?chunked=1)
sends until the client drops; /redirect?to=ADDRESS sends the client on;
/cookie hands the client a cookie for the whole site.
Under /limited/ a site of 30 articles (under /limited/N/, of N) answers a
client 429 with Retry-After: 1 when 2 of its requests began within the last
second; under /paced/ one lets a
client's request through only 0.2 s after the last it let through and refuses
the others with a bare 503 and an empty chunked body; GET /refusals?of=paced
counts them.
Each request's line, headers and time of arrival are kept: GET /log?match=TEXT
answers with the lines and headers of those whose line contains TEXT, GET
/attempts?match=TEXT with their times in seconds, one a line, and GET
/overlap?match=TEXT with the most of them that were in progress at once. The server ends by itself after
an idle hour, so that a run cut short cannot leave it behind for ever.
"""

import datetime
import http.server
import os
import re
import signal
import socket
import socketserver
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

IDLE_LIMIT_SECONDS = 3600
# How long a silent or stalled answer waits for the client to give up.
HOLD_LIMIT_SECONDS = 120
# Far past any client's bound on a page, yet an end, should a client never drop.
ENDLESS_LIMIT_BYTES = 64 * 1024 * 1024

DATE_LABEL = "기사등록".encode("cp949")
TITLE_MARKER = b"<!-- #####  news title ##### -->"
TEXT_START_MARKER = b"<!-- ##### news text - auto ST ##### -->"
END_MARKER = b"<!-- ##### news text - auto END ##### -->"

# The test site: article number -> (date, title, body). The clip-run test
# expects exactly these bytes.
ARTICLES = {
    3: ("2008-07-17", "서울 소식", "<font size=2>첫째 줄</font><P align=justify />끝"),
    2: ("2008-07-16", "부산 소식", "<table><tr><td>표 안</td></tr></table>"),
    1: ("2008-07-15", "지난 소식", "실리지 않음"),
}


def news_page(date, title, body, time_of_day="09:30"):
    """An article page laid out as the news site lays it out; title and body
    are bytes of code page 949."""
    return (
        b'<html><table><tr><td class="info">' + DATE_LABEL + b" : <span>" +
        date.encode() + b" " + time_of_day.encode() + b"</span></td></tr></table>\n" +
        TITLE_MARKER + title +
        TEXT_START_MARKER + body + END_MARKER + b"\n<div>footer</div></html>")


def article_page(number):
    date, title, body = ARTICLES[number]
    return news_page(date, title.encode("cp949"), body.encode("cp949"))


def pattern(length):
    """Bytes that show where a cut happened: no NUL, no two pieces alike."""
    return bytes(0x41 + (i * 7 + i // 251) % 26 for i in range(length))


# The pattern repeats itself every 251 * 26 bytes: an endless body is one
# block over and over.
ENDLESS_BLOCK = pattern(251 * 26 * 10)


class Log:
    def __init__(self):
        self._lock = threading.Lock()
        self._entries = []
        self._attempts = {}
        self._in_progress = {}
        self._overlap = {}
        self.last_request = time.monotonic()

    def add(self, request_line, headers):
        with self._lock:
            self._entries.append((request_line, headers))
            self.last_request = time.monotonic()
            self._attempts.setdefault(request_line, []).append(self.last_request)

    def matching(self, text):
        with self._lock:
            return [entry for entry in self._entries if text in entry[0]]

    def times(self, text):
        with self._lock:
            return sorted(t for line, times in self._attempts.items() if text in line
                          for t in times)

    def attempts(self, request_line):
        with self._lock:
            return len(self._attempts.get(request_line, []))

    def begin(self, tag):
        with self._lock:
            self._in_progress[tag] = self._in_progress.get(tag, 0) + 1
            self._overlap[tag] = max(self._overlap.get(tag, 0), self._in_progress[tag])

    def end(self, tag):
        with self._lock:
            self._in_progress[tag] -= 1

    def overlap(self, text):
        with self._lock:
            return max([count for tag, count in self._overlap.items() if text in tag] or [0])


class SiteHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "WendrelTestSite"
    sys_version = ""

    def log_message(self, *args):
        pass

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path not in ("/log", "/attempts", "/overlap"):
            self.server.log.add(self.requestline, str(self.headers))
        route = ROUTES.get(url.path)
        if route is None and url.path.startswith("/arti/"):
            route = SiteHandler.article
        if route is None and url.path.startswith("/site/"):
            route = SiteHandler.scenario
        for prefix in LIMITERS:
            if url.path.startswith(prefix):
                route = SiteHandler.limited
        (route or SiteHandler.not_found)(self, url)

    def query(self, url, name, default):
        return urllib.parse.parse_qs(url.query).get(name, [default])[0]

    def send_body(self, body, status=200, extra_headers=()):
        self.send_response(status)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra_headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def base(self):
        return self.server.base_address

    def not_found(self, url):
        self.send_body(b"<html>404 " + "없는 쪽".encode("cp949") + b"</html>", 404)

    def list_page(self, url):
        newest = max(ARTICLES)
        link = "%s/arti/%d.html" % (self.base(), newest)
        self.send_body(b'<html><a href="' + link.encode() + b'">top</a></html>')

    def article(self, url):
        number = url.path[len("/arti/"):-len(".html")]
        if not number.isdigit() or int(number) not in ARTICLES:
            self.not_found(url)
            return
        self.send_body(article_page(int(number)))

    def body(self, url):
        self.send_body(pattern(int(url.path.rsplit("/", 1)[1])))

    def nul_inside(self, url):
        self.send_body(b"ab\0cd")

    def chunked(self, url):
        self.send_response(200)
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        data = pattern(2500)
        for piece in (data[:700], data[700:1900]):
            self.write_chunk(piece)
        if self.query(url, "cut", None):
            self.close_connection = True
            return
        self.write_chunk(data[1900:])
        self.write_chunk(b"")

    def write_chunk(self, piece):
        self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))

    def headers_cut(self, url):
        self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nX-Par")
        self.close_connection = True

    def endless(self, url):
        chunked = self.query(url, "chunked", None)
        self.send_response(200)
        self.send_header(*(("Transfer-Encoding", "chunked") if chunked
                           else ("Connection", "close")))
        self.end_headers()
        self.connection.settimeout(HOLD_LIMIT_SECONDS)
        write = self.write_chunk if chunked else self.wfile.write
        try:
            for _ in range(ENDLESS_LIMIT_BYTES // len(ENDLESS_BLOCK)):
                write(ENDLESS_BLOCK)
        except OSError:
            pass
        self.close_connection = True

    def send_part(self, count):
        """Declares a body of 4096 bytes and sends only the first count."""
        self.send_response(200)
        self.send_header("Content-Length", "4096")
        self.end_headers()
        self.wfile.write(pattern(count))
        self.wfile.flush()

    def cut_short(self, url):
        self.send_part(2048)
        self.close_connection = True

    def reset_after(self, url):
        """Sends as many bytes of the body as the query's "after" says, then resets."""
        self.send_part(int(urllib.parse.parse_qs(url.query).get("after", ["0"])[0]))
        # Lets the client take what was sent before the reset discards it.
        time.sleep(0.5)
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.close_connection = True

    def redirect(self, url):
        to = self.query(url, "to", self.base() + "/body/3000")
        self.send_body(b"moved", 302, [("Location", to)])

    def set_cookie(self, url):
        self.send_body(b"cookie", extra_headers=[("Set-Cookie", "visited=1; Path=/")])

    def redirect_loop(self, url):
        self.send_body(b"moved", 302, [("Location", "/loop?" + url.query)])

    def silent(self, url):
        self.hold()

    def stall(self, url):
        self.send_part(1500)
        self.hold()

    def hold(self):
        """Sends nothing more until the client gives up, or the hold limit."""
        self.connection.settimeout(HOLD_LIMIT_SECONDS)
        try:
            while self.connection.recv(4096):
                pass
        except OSError:
            pass
        self.close_connection = True

    def flaky(self, url):
        """Fails the first "fail" attempts of this very request as "how" says:
        close (before any answer), or a status code, with "retry_after" when
        given, or "retry_in" seconds after the answer's Date as an HTTP date;
        then answers with a page."""
        failing = self.server.log.attempts(self.requestline) <= int(self.query(url, "fail", "0"))
        retry_after = self.query(url, "retry_after", None)
        retry_in = self.query(url, "retry_in", None)
        if failing and retry_in is not None:
            self.answer_time = time.time()
            retry_after = self.date_time_string(self.answer_time + int(retry_in))
        if failing:
            self.fail_as(self.query(url, "how", "close"), retry_after,
                         self.query(url, "empty", None))
            self.answer_time = None
        else:
            self.send_body(pattern(3000))

    def date_time_string(self, timestamp=None):
        """The answer's Date: the moment a Retry-After date was counted from,
        when one was."""
        return super().date_time_string(timestamp or getattr(self, "answer_time", None))

    def fail_as(self, how, retry_after=None, empty=False):
        """With empty, the status alone: an empty chunked body."""
        if how == "close":
            self.close_connection = True
            return
        headers = [("Retry-After", retry_after)] if retry_after is not None else []
        if empty:
            self.send_response(int(how))
            self.send_header("Transfer-Encoding", "chunked")
            for header in headers:
                self.send_header(*header)
            self.end_headers()
            self.write_chunk(b"")
            return
        self.send_body(b"failed " + how.encode(), int(how), headers)

    def hold_for(self, url):
        """Answers after "ms" milliseconds, counting how many of the same
        "tag" are in progress at once."""
        tag = self.query(url, "tag", "")
        self.server.log.begin(tag)
        try:
            time.sleep(int(self.query(url, "ms", "0")) / 1000)
        finally:
            self.server.log.end(tag)
        self.send_body(pattern(100))

    def scenario(self, url):
        """Small news sites that fail on purpose, under /site/NAME:
        notes: 8 dated, 7 missing (404), 6 busy for good, 5 a redirect loop,
               4 dated before 2008-07-16;
        gone:  20 to 16 dated, from 15 down busy for good;
        undated: 60 articles without a date;
        stalled: 1 article that never answers;
        growing: as many articles as /grow?to=N last said, all dated today;
        twin:    the same as growing, under its own name;
        slow:    SLOW_ARTICLES dated SLOW_DATE, their times spread over the day
                 (the newest latest), each answered after SLOW_ANSWER_SECONDS.
        Busy answers are 503 with Retry-After: 0, so that retries come at once."""
        _, _, name, rest = url.path.split("/", 3)
        base = "%s/site/%s" % (self.base(), name)
        newest = {"notes": 8, "gone": 20, "undated": 60, "stalled": 1,
                  "growing": self.server.growing_newest,
                  "twin": self.server.growing_newest, "slow": SLOW_ARTICLES}.get(name)
        if newest is None:
            self.not_found(url)
        elif rest == "kisa/list/total/home01.html":
            self.send_body(b'<a href="%s/arti/%d.html">top</a>' % (base.encode(), newest))
        elif rest.startswith("arti/") and rest.endswith(".html") and rest[5:-5].isdigit():
            self.scenario_article(url, name, int(rest[5:-5]))
        else:
            self.not_found(url)

    def scenario_article(self, url, name, number):
        if name == "stalled":
            self.hold()
            return
        if name == "slow":
            if not 1 <= number <= SLOW_ARTICLES:
                self.not_found(url)
                return
            time.sleep(SLOW_ANSWER_SECONDS)
            minutes = number * 24 * 60 // (SLOW_ARTICLES + 1)
            self.send_body(news_page(SLOW_DATE, b"T%d" % number, b"B%d" % number,
                                     "%02d:%02d" % divmod(minutes, 60)))
            return
        if name in ("growing", "twin"):
            self.send_body(news_page(datetime.date.today().isoformat(),
                                     ("소식 %d" % number).encode("cp949"),
                                     ("본문 %d" % number).encode("cp949")))
            return
        dated = article_page(3).replace(b"2008-07-17", b"2008-07-20")
        if name == "undated" or (name == "gone" and number <= 15) or (
                name == "notes" and number == 6):
            if name == "undated":
                self.send_body(b"<html>no date</html>")
            else:
                self.fail_as("503", "0")
        elif name == "notes" and number == 7:
            self.not_found(url)
        elif name == "notes" and number == 5:
            self.send_body(b"moved", 302, [("Location", url.path)])
        elif name == "notes" and number == 4:
            self.send_body(article_page(1))
        else:
            self.send_body(dated)

    def grow(self, url):
        self.server.growing_newest = int(self.query(url, "to", "0"))
        self.send_body(b"%d" % self.server.growing_newest)

    def attempt_times(self, url):
        times = self.server.log.times(self.query(url, "match", ""))
        self.send_body("".join("%.3f\n" % t for t in times).encode())

    def overlap(self, url):
        self.send_body(b"%d" % self.server.log.overlap(self.query(url, "match", "")))

    def refusals(self, url):
        limiter = LIMITERS["/%s/" % self.query(url, "of", "")]
        self.send_body(b"%d" % limiter.refusals)

    def log(self, url):
        match = urllib.parse.parse_qs(url.query).get("match", [""])[0]
        entries = self.server.log.matching(match)
        text = "".join(line + "\r\n" + headers for line, headers in entries)
        self.send_body(text.encode("latin-1"))

    def limited(self, url):
        """A news site of LIMITED_ARTICLES dated articles, or of N under
        prefix + "N/", under a prefix of LIMITERS that limits each client, as
        sites behind a rate limiter do."""
        prefix = next(prefix for prefix in LIMITERS if url.path.startswith(prefix))
        limiter = LIMITERS[prefix]
        if not limiter.admits(self.client_address[0]):
            limiter.refuse(self)
            return
        rest = url.path[len(prefix):]
        articles = LIMITED_ARTICLES
        smaller = re.match(r"(\d+)/", rest)
        if smaller:
            articles = int(smaller.group(1))
            prefix += smaller.group(0)
            rest = rest[smaller.end():]
        base = self.base() + prefix
        if rest == "kisa/list/total/home01.html":
            self.send_body(b'<a href="%sarti/%d.html">top</a>' % (base.encode(), articles))
        elif re.fullmatch(r"arti/\d+\.html", rest) and 1 <= int(rest[5:-5]) <= articles:
            self.send_body(news_page(LIMITED_DATE, b"T%d" % int(rest[5:-5]), b"B"))
        else:
            self.not_found(url)


ROUTES = {
    "/kisa/list/total/home01.html": SiteHandler.list_page,
    "/body/0": SiteHandler.body,
    "/body/1024": SiteHandler.body,
    "/body/3000": SiteHandler.body,
    "/nul": SiteHandler.nul_inside,
    "/chunked": SiteHandler.chunked,
    "/headers-cut": SiteHandler.headers_cut,
    "/endless": SiteHandler.endless,
    "/cut": SiteHandler.cut_short,
    "/reset": SiteHandler.reset_after,
    "/redirect": SiteHandler.redirect,
    "/loop": SiteHandler.redirect_loop,
    "/cookie": SiteHandler.set_cookie,
    "/silent": SiteHandler.silent,
    "/stall": SiteHandler.stall,
    "/log": SiteHandler.log,
    "/flaky": SiteHandler.flaky,
    "/hold": SiteHandler.hold_for,
    "/attempts": SiteHandler.attempt_times,
    "/overlap": SiteHandler.overlap,
    "/grow": SiteHandler.grow,
    "/refusals": SiteHandler.refusals,
}


class ClientLimiter:
    """Refuses a client's request when LIMIT others of that client began
    within the last second; refused requests count as begun."""
    LIMIT = 2

    def __init__(self):
        self._lock = threading.Lock()
        self._begun = {}
        self.refusals = 0

    def admits(self, client):
        with self._lock:
            now = time.monotonic()
            recent = [t for t in self._begun.get(client, []) if now - t < 1]
            self._begun[client] = recent + [now]
            self.refusals += len(recent) >= self.LIMIT
            return len(recent) < self.LIMIT

    def refuse(self, handler):
        handler.send_body(b"too many requests", 429, [("Retry-After", "1")])


class PaceLimiter:
    """Lets a client's request through only INTERVAL seconds after the last one
    it let through, as a limiter without a burst does; the others are refused
    with a bare 503 and do not count."""
    INTERVAL = 0.2

    def __init__(self):
        self._lock = threading.Lock()
        self._admitted = {}
        self.refusals = 0

    def admits(self, client):
        with self._lock:
            now = time.monotonic()
            if now - self._admitted.get(client, -self.INTERVAL) >= self.INTERVAL:
                self._admitted[client] = now
                return True
            self.refusals += 1
            return False

    def refuse(self, handler):
        handler.fail_as("503", empty=True)


SLOW_ARTICLES = 300
SLOW_DATE = "2008-07-20"
SLOW_ANSWER_SECONDS = 0.1

LIMITED_PREFIX = "/limited/"
PACED_PREFIX = "/paced/"
LIMITED_ARTICLES = 30
LIMITED_DATE = "2008-07-20"
LIMITER = ClientLimiter()
LIMITERS = {LIMITED_PREFIX: LIMITER, PACED_PREFIX: PaceLimiter()}


class SiteServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    """The site over HTTP on 127.0.0.1, or over HTTPS as localhost with
    context's certificate."""
    daemon_threads = True

    def __init__(self, context=None, log=None):
        super().__init__(("127.0.0.1", 0), SiteHandler)
        self.log = log or Log()
        self.growing_newest = 0
        self.context = context
        self.base_address = ("https://localhost:%d" if context else "http://127.0.0.1:%d"
                             ) % self.server_address[1]

    def finish_request(self, request, client_address):
        """The handshake on the connection's own thread: a client that refuses
        the certificate holds up no other."""
        if self.context is None:
            super().finish_request(request, client_address)
            return
        try:
            request = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        try:
            super().finish_request(request, client_address)
        finally:
            request.close()


def unused_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def write_file(path, text):
    temporary = path + ".new"
    with open(temporary, "w") as out:
        out.write(text)
    os.replace(temporary, path)


def end_when_idle(server):
    while time.monotonic() - server.log.last_request < IDLE_LIMIT_SECONDS:
        time.sleep(10)
    server.shutdown()


def never_accepting():
    """A socket that listens and never accepts, its backlog filled, so that a
    further connection waits for the kernel's SYN retries."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(0)
    fillers = []
    for _ in range(3):
        filler = socket.socket()
        filler.setblocking(False)
        try:
            filler.connect(listener.getsockname())
        except BlockingIOError:
            pass
        fillers.append(filler)
    return listener, fillers


def openssl(*arguments):
    subprocess.run(["openssl", *arguments], check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def certificates(state_dir):
    """TLS contexts for localhost: one whose certificate the run's own CA
    (state_dir/ca.pem, made now) signed, and one that signed itself."""
    path = lambda name: os.path.join(state_dir, name)
    days = ["-days", "2", "-nodes", "-newkey", "rsa:2048"]
    openssl("req", "-x509", *days, "-keyout", path("ca.key"), "-out", path("ca.pem"),
            "-subj", "/CN=Wendrel test run CA",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl("req", *days[2:], "-keyout", path("site.key"), "-out", path("site.csr"),
            "-subj", "/CN=localhost")
    write_file(path("site.ext"), "subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\n"
               "extendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", path("site.csr"), "-CA", path("ca.pem"), "-CAkey",
            path("ca.key"), "-set_serial", str(os.getpid()), "-days", "2", "-extfile",
            path("site.ext"), "-out", path("site.pem"))
    openssl("req", "-x509", *days, "-keyout", path("stranger.key"), "-out",
            path("stranger.pem"), "-subj", "/CN=localhost",
            "-addext", "subjectAltName=DNS:localhost")
    contexts = []
    for name in ("site", "stranger"):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(path(name + ".pem"), path(name + ".key"))
        contexts.append(context)
    return contexts


def serve(state_dir):
    trusted, untrusted = certificates(state_dir)
    server = SiteServer()
    secure = SiteServer(trusted, server.log)
    stranger = SiteServer(untrusted, server.log)
    for other in (secure, stranger):
        threading.Thread(target=other.serve_forever, daemon=True).start()
    write_file(os.path.join(state_dir, "secure.txt"), secure.base_address)
    write_file(os.path.join(state_dir, "untrusted.txt"), stranger.base_address)
    unaccepting = never_accepting()
    write_file(os.path.join(state_dir, "unaccepting.txt"),
               "http://127.0.0.1:%d" % unaccepting[0].getsockname()[1])
    threading.Thread(target=end_when_idle, args=(server,), daemon=True).start()
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    write_file(os.path.join(state_dir, "refused.txt"), "http://127.0.0.1:%d" % unused_port())
    write_file(os.path.join(state_dir, "site.txt"),
               "http://127.0.0.1:%d" % server.server_address[1])
    server.serve_forever()


def start(state_dir):
    stop(state_dir)
    os.makedirs(state_dir, exist_ok=True)
    site_file = os.path.join(state_dir, "site.txt")
    if os.path.exists(site_file):
        os.remove(site_file)
    # Its own session and no inherited streams: CTest waits for the streams of
    # what a test starts to close.
    with open(os.path.join(state_dir, "server.log"), "w") as log:
        process = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), "serve", state_dir],
            stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
    write_file(os.path.join(state_dir, "server.pid"), str(process.pid))
    deadline = time.monotonic() + 10
    while not os.path.exists(site_file):
        if process.poll() is not None or time.monotonic() > deadline:
            stop(state_dir)
            sys.exit("test server did not start; see %s/server.log" % state_dir)
        time.sleep(0.05)
    with open(site_file) as site:
        print("test site at " + site.read())


def is_our_server(pid, state_dir):
    """Whether pid is still the server of state_dir, not a process that took its number."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as cmdline:
            arguments = cmdline.read().split(b"\0")
    except OSError:
        return False
    return b"serve" in arguments and state_dir.encode() in arguments


def stop(state_dir):
    pid_file = os.path.join(state_dir, "server.pid")
    if not os.path.exists(pid_file):
        return
    with open(pid_file) as pid_text:
        pid = int(pid_text.read())
    os.remove(pid_file)
    if not is_our_server(pid, state_dir):
        return
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline:
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            return
        time.sleep(0.05)
    os.kill(pid, signal.SIGKILL)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop", "serve"):
        sys.exit(__doc__)
    command, state_dir = sys.argv[1], os.path.abspath(sys.argv[2])
    {"start": start, "stop": stop, "serve": serve}[command](state_dir)


if __name__ == "__main__":
    main()
