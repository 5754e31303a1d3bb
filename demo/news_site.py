#!/usr/bin/env python3
"""A small demo news site for trying Wendrel out, served on loopback.

    news_site.py serve BASE_FILE [--slow SECONDS]
        serve on a free 127.0.0.1 port, writing the site's base address
        ("http://127.0.0.1:PORT") to BASE_FILE

With --slow, the n-th newest article page is answered n * SECONDS after it
was asked for, however many are asked for at once, and each page's path is
printed once it is answered: a run can be watched, or pictured, midway.

Pages are code page 949 in the layout Wendrel reads: the total list page links
the newest article first, and each article page carries its registration
date after the date label, then the title and the text between the markers.
The articles are spread over the last week, dated relative to today, so that
a run with today's date finds today's articles and stops at yesterday's; the
newest of a day was registered latest.
"""

import datetime
import http.server
import socketserver
import sys
import time

LIST_PATH = "/kisa/list/total/home01.html"
DATE_LABEL = "기사등록"
TITLE_MARKER = "<!-- #####  news title ##### -->"
TEXT_MARKER = "<!-- ##### news text - auto ST ##### -->"
END_MARKER = "<!-- ##### news text - auto END ##### -->"
FIRST_NUMBER = 3001

# Registration times of a day's articles, newest first.
TIMES = ["17:40", "11:05", "08:20"]

# Days ago -> (title, text) of each article that day, newest first.
STORIES = {
    0: [("시내버스 노선 개편, 다음 달부터 시행", "출퇴근 시간대 배차 간격이 평균 3분 줄어든다."),
        ("도서관 야간 개방 확대", "시립 도서관 다섯 곳이 밤 10시까지 문을 연다.")],
    1: [("한강 공원에 자전거 대여소 추가", "대여소 열두 곳이 새로 생긴다."),
        ("주말 날씨: 맑고 선선", "낮 최고 기온은 22도로 예상된다.")],
    2: [("전통시장 상품권 할인 판매", "이번 주 한정으로 10% 할인된다.")],
    3: [("어린이 과학 축제 개막", "체험 부스 40여 개가 마련됐다."),
        ("지하철 2호선 일부 구간 공사", "주말 밤 운행이 단축된다.")],
    5: [("가을 단풍 절정은 다음 주", "설악산은 이미 물들기 시작했다.")],
    6: [("새 시청 청사 설계 공모", "시민 의견을 받아 최종안을 고른다.")],
}


def registered(today):
    """(number, date, time, title, text), newest first."""
    listed = []
    for days_ago in sorted(STORIES):
        date = today - datetime.timedelta(days=days_ago)
        for (title, text), time_of_day in zip(STORIES[days_ago], TIMES):
            listed.append((date, time_of_day, title, text))
    newest = FIRST_NUMBER + len(listed) - 1
    return [(newest - i, date.isoformat(), time_of_day, title, text)
            for i, (date, time_of_day, title, text) in enumerate(listed)]


def articles(today):
    """(number, date, title, text), newest first."""
    return [(number, date, title, text)
            for number, date, _, title, text in registered(today)]


def list_page(base, today):
    links = "".join(
        '<tr><td><a href="%s/arti/%d.html">%s</a></td><td>%s</td></tr>\n' %
        (base, number, title, date) for number, date, title, _ in articles(today))
    return ("<html><head><title>전체 기사</title></head><body><table>\n" + links +
            "</table></body></html>").encode("cp949")


def article_page(number, today):
    for listed, date, time_of_day, title, text in registered(today):
        if listed == number:
            return (
                '<html><body><table><tr><td class="info">' + DATE_LABEL + " : <span>" + date +
                " " + time_of_day + "</span></td></tr></table>\n<div class=\"article\">" +
                TITLE_MARKER +
                "<font size=4><b>" + title + "</b></font>" + TEXT_MARKER +
                '<script>// fontSet();</script><font size=2>' + text +
                "</font><P align=justify />" + END_MARKER + "</div>\n<div>demo</div></body></html>"
            ).encode("cp949")
    return None


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        base = "http://%s:%d" % self.server.server_address
        today = datetime.date.today()
        body = None
        if self.path == LIST_PATH:
            body = list_page(base, today)
        elif self.path.startswith("/arti/") and self.path.endswith(".html"):
            number = self.path[len("/arti/"):-len(".html")]
            if number.lstrip("-").isdigit():
                body = article_page(int(number), today)
                newest = registered(today)[0][0]
                time.sleep(max(newest - int(number) + 1, 0) * self.server.slow_seconds)
        status = 200 if body is not None else 404
        body = body if body is not None else "<html>없는 기사</html>".encode("cp949")
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=euc-kr")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        if self.server.slow_seconds:
            print(self.path, flush=True)

    def log_message(self, *_):
        pass


def serve(base_file, slow_seconds=0.0):
    with socketserver.ThreadingTCPServer(("127.0.0.1", 0), Handler) as server:
        server.slow_seconds = slow_seconds
        with open(base_file, "w") as out:
            out.write("http://127.0.0.1:%d\n" % server.server_address[1])
        server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) not in (3, 5) or sys.argv[1] != "serve" or (
            len(sys.argv) == 5 and sys.argv[3] != "--slow"):
        sys.exit(__doc__)
    serve(sys.argv[2], float(sys.argv[4]) if len(sys.argv) == 5 else 0.0)
