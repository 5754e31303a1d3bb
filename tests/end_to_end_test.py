#!/usr/bin/env python3
"""The real Wendrel.exe under Wine on an X display: Run pressed with the
keyboard against the demo site writes today's articles, cleaned, to the clip
file in the folder of its settings file.

    end_to_end_test.py WENDREL_EXE WINE_PREFIX WORK_DIR

The display's number is in the file WENDREL_DISPLAY_FILE names.
"""

import datetime
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "demo"))
import news_site  # noqa: E402

WAIT_SECONDS = 60


def expected_clip(base, today):
    """Today's demo articles as the clean-up leaves them: the font tags and the
    script tags go, the text marker becomes two breaks, the paragraph one."""
    clip = b""
    for number, date, title, text in news_site.articles(today):
        if date != today.isoformat():
            continue
        clip += (b"<b><br><hr><br>" + ("%s/arti/%d.html" % (base, number)).encode() +
                 b"<br></b>" + news_site.TITLE_MARKER.encode() + b"<b>" +
                 title.encode("cp949") + b"</b><br><br>" + text.encode("cp949") + b"<br>")
    return clip


def wait_for(condition, what):
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.2)
    sys.exit("timed out waiting for " + what)


def main():
    exe, prefix, work = Path(sys.argv[1]), sys.argv[2], Path(sys.argv[3])
    shutil.rmtree(work, ignore_errors=True)
    (work / "clips").mkdir(parents=True)
    shutil.copy(exe, work / "Wendrel.exe")
    clips = "Z:" + str(work / "clips").replace("/", "\\")
    (work / "Wendrel.ini").write_bytes(b"[Dest]\r\nSaveFolderName=" + clips.encode() + b"\r\n")

    environment = dict(os.environ)
    environment["DISPLAY"] = ":" + Path(os.environ["WENDREL_DISPLAY_FILE"]).read_text().strip()
    site = subprocess.Popen([sys.executable, str(ROOT / "demo" / "news_site.py"), "serve",
                             str(work / "site.txt")])
    wendrel = None
    try:
        wait_for(lambda: (work / "site.txt").exists() and (work / "site.txt").read_text(),
                 "the demo site")
        base = (work / "site.txt").read_text().strip()
        environment["WENDREL_SITE"] = base
        today = datetime.date.today()
        clip = work / "clips" / (today.isoformat() + ".html")

        wendrel = subprocess.Popen([str(ROOT / "scripts" / "wine-run"), prefix,
                                    str(work / "Wendrel.exe")], env=environment,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = subprocess.run(["xdotool", "search", "--sync", "--name", r"^Wendrel v0\.1$"],
                                env=environment, capture_output=True, text=True,
                                timeout=WAIT_SECONDS, check=True).stdout.split()[0]
        subprocess.run(["xdotool", "key", "--window", window, "Return"], env=environment,
                       capture_output=True, check=True)
        wait_for(clip.exists, "the clip file")

        # Alt+F4 closes the dialog even before the run has told it that it
        # ended; Escape then would only stop the run.
        subprocess.run(["xdotool", "key", "--window", window, "alt+F4"], env=environment,
                       capture_output=True, check=True)
        wendrel.wait(timeout=WAIT_SECONDS)
        wendrel = None

        written, expected = clip.read_bytes(), expected_clip(base, today)
        if written != expected:
            sys.exit("clip file differs:\n written %r\nexpected %r" % (written, expected))
        if (work / "Wendrel.ini").read_bytes() != (b"[Dest]\r\nSaveFolderName=" +
                                                   clips.encode() + b"\r\n"):
            sys.exit("the settings file was changed")
        print("clip file as expected:", clip)
    finally:
        if wendrel is not None:
            wendrel.kill()
        site.terminate()
        site.wait()


if __name__ == "__main__":
    main()
