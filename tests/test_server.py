#!/usr/bin/env python3
"""A local news site that misbehaves on purpose, for the fetcher and clip tests.

    test_server.py start STATE_DIR   serve in the background on a free loopback port
    test_server.py stop STATE_DIR    end the server started with STATE_DIR
    test_server.py serve STATE_DIR   serve in the foreground (what start runs)

start returns once the server listens and STATE_DIR/site.txt holds its base
address ("http://127.0.0.1:PORT"); STATE_DIR/refused.txt holds an address on a
loopback port where nothing listens. Each request's line and headers are kept,
and GET /log?match=TEXT answers with those whose line contains TEXT, so that a
test can see what its own requests carried. The server ends by itself after
an idle hour, so that a run cut short cannot leave it behind for ever.
"""

import http.server
import os
import signal
import socket
import socketserver
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

IDLE_LIMIT_SECONDS = 3600
# How long a silent or stalled answer waits for the client to give up.
HOLD_LIMIT_SECONDS = 120

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


# Whole sites below a first path segment, for clip runs that end otherwise:
# segment -> (newest article number, what each article page does).
PREFIXED_SITES = {
    # Every article answers 404, an error page without a date.
    "undated": (60, "not_found"),
    # The one article never answers.
    "stalled": (1, "hold"),
}


def article_page(number):
    date, title, body = ARTICLES[number]
    return (
        b'<html><table><tr><td class="info">' + DATE_LABEL + b" : <span>" +
        date.encode() + b" 09:30</span></td></tr></table>\n" + TITLE_MARKER +
        title.encode("cp949") + TEXT_START_MARKER + body.encode("cp949") + END_MARKER +
        b"\n<div>footer</div></html>")


def pattern(length):
    """Bytes that show where a cut happened: no NUL, no two pieces alike."""
    return bytes(0x41 + (i * 7 + i // 251) % 26 for i in range(length))


class Log:
    def __init__(self):
        self._lock = threading.Lock()
        self._entries = []
        self.last_request = time.monotonic()

    def add(self, request_line, headers):
        with self._lock:
            self._entries.append((request_line, headers))
            self.last_request = time.monotonic()

    def matching(self, text):
        with self._lock:
            return [entry for entry in self._entries if text in entry[0]]


class SiteHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "WendrelTestSite"
    sys_version = ""

    def log_message(self, *args):
        pass

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path != "/log":
            self.server.log.add(self.requestline, str(self.headers))
        route = ROUTES.get(url.path)
        if route is None and url.path.startswith("/arti/"):
            route = SiteHandler.article
        if route is None and url.path.split("/")[1] in PREFIXED_SITES:
            route = SiteHandler.prefixed_site
        (route or SiteHandler.not_found)(self, url)

    def send_body(self, body, status=200, extra_headers=()):
        self.send_response(status)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra_headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def base(self):
        return "http://127.0.0.1:%d" % self.server.server_address[1]

    def not_found(self, url):
        self.send_body(b"<html>404 " + "없는 쪽".encode("cp949") + b"</html>", 404)

    def list_page(self, url):
        newest = max(ARTICLES)
        link = "%s/arti/%d.html" % (self.base(), newest)
        self.send_body(b'<html><a href="' + link.encode() + b'">top</a></html>')

    def prefixed_site(self, url):
        segment, _, rest = url.path[1:].partition("/")
        newest, article = PREFIXED_SITES[segment]
        if rest == "kisa/list/total/home01.html":
            link = "%s/%s/arti/%d.html" % (self.base(), segment, newest)
            self.send_body(b'<html><a href="' + link.encode() + b'">top</a></html>')
        elif article == "hold":
            self.hold()
        else:
            self.not_found(url)

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
        for piece in (data[:700], data[700:1900], data[1900:]):
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
        self.wfile.write(b"0\r\n\r\n")

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
        self.send_body(b"moved", 302, [("Location", self.base() + "/body/3000")])

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

    def log(self, url):
        match = urllib.parse.parse_qs(url.query).get("match", [""])[0]
        entries = self.server.log.matching(match)
        text = "".join(line + "\r\n" + headers for line, headers in entries)
        self.send_body(text.encode("latin-1"))


ROUTES = {
    "/kisa/list/total/home01.html": SiteHandler.list_page,
    "/body/0": SiteHandler.body,
    "/body/1024": SiteHandler.body,
    "/body/3000": SiteHandler.body,
    "/nul": SiteHandler.nul_inside,
    "/chunked": SiteHandler.chunked,
    "/cut": SiteHandler.cut_short,
    "/reset": SiteHandler.reset_after,
    "/redirect": SiteHandler.redirect,
    "/loop": SiteHandler.redirect_loop,
    "/silent": SiteHandler.silent,
    "/stall": SiteHandler.stall,
    "/log": SiteHandler.log,
}


class SiteServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True

    def __init__(self):
        super().__init__(("127.0.0.1", 0), SiteHandler)
        self.log = Log()


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


def serve(state_dir):
    server = SiteServer()
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
