#!/usr/bin/env python3
"""Writes the small seed corpora of the fuzz targets (code page 949 pages)."""
import pathlib
import struct

HERE = pathlib.Path(__file__).parent
LABEL = "기사등록".encode("cp949")
TITLE = b"<!-- #####  news title ##### -->"
ST = b"<!-- ##### news text - auto ST ##### -->"
END = b"<!-- ##### news text - auto END ##### -->"


def article(date: bytes, body: str) -> bytes:
    return (b"<table><tr><td>" + LABEL + b" : <span>" + date + b" 10:00</span></td></tr></table>"
            + TITLE + "<font size=4>제목</font>".encode("cp949") + ST
            + b"<div><a href=\"x\">" + body.encode("cp949") + b"</a></div><script>// fontSet();</script>"
            + b"<P align=justify />" + END + b"</td></tr>")


def text_seed(start: int, count: int, *pieces: bytes) -> bytes:
    return struct.pack("<iI", start, count & 0xFFFFFFFF) + b"\x01".join(pieces)


def write(target: str, name: str, data: bytes) -> None:
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def main() -> None:
    write("text", "tags", text_seed(0, 5, b"<tr>a<tr class=x>b</tr>" + "한".encode("cp949"), b"<tr", b""))
    write("text", "lead_bytes", text_seed(1, 3, b"\xb0<tr><t<tr>r>\xff<tr", b"<tr", b"<br>"))
    write("text", "closers", text_seed(4, -1, b"</table>x</ta</table>ble>", b"</table>", b"x"))
    write("text", "korean", text_seed(2, 2, "기사등록 2008-07-16 ".encode("cp949"), LABEL, b""))
    write("clean_up", "article", b"<tr\x01" + article(b"2008-07-16", "본문"))
    write("clean_up", "joins", b"<a href\x01<t<tr>r><a <a href=x>href=y></a>\xb0<td>\xff<td x=<td>>")
    write("clean_up", "unclosed", b"</td>\x01<div><div class=a</div></td")
    sep = b"\n#page#\n"
    listing = b"<a href=\"http://s/arti/news/5.html\">top</a>"
    write("clip_run", "walk", sep.join([listing, article(b"2008-07-18", "다섯"), article(b"2008-07-17", "넷"),
                                          article(b"2008-07-16", "셋"), article(b"2008-07-15", "둘")]))
    write("clip_run", "undated", sep.join([b"http://s/arti/3.html", b"", article(b"2008-7-16", "x"),
                                             b"2008-07-20 plain"]))
    write("clip_run", "no_link", sep.join([b"<html>http://s/kisa</html>", article(b"2008-07-18", "x")]))


if __name__ == "__main__":
    main()
