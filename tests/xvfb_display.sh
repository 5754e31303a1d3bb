#!/usr/bin/env bash
# A private X display for the tests that open windows, started and ended by
# CTest as a fixture:
#   xvfb_display.sh start STATE_DIR PREFIX   start Xvfb on a free display; STATE_DIR/number holds it
#   xvfb_display.sh stop STATE_DIR PREFIX    end that Xvfb
# PREFIX is the Wine prefix those tests run in. Wine's desktop process stays
# bound to the display it first met, so the prefix's Wine processes end with
# the display; that prefix must serve no other tests.
set -euo pipefail

action=$1
state=$2
prefix=$3

end_wine() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}

start() {
    end_wine
    mkdir -p "$state"
    for number in $(seq 100 299); do
        if [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; then
            continue
        fi
        setsid Xvfb ":$number" -nolisten tcp -screen 0 1024x768x24 \
            </dev/null >/dev/null 2>&1 &
        local pid=$!
        for _ in $(seq 100); do
            if [ -e "/tmp/.X11-unix/X$number" ]; then
                echo "$pid" >"$state/pid"
                echo "$number" >"$state/number"
                return 0
            fi
            # Another program took the display first: try the next one.
            kill -0 "$pid" 2>/dev/null || continue 2
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
    done
    echo "no free X display" >&2
    return 1
}

stop() {
    end_wine
    if [ -f "$state/pid" ]; then
        kill "$(cat "$state/pid")" 2>/dev/null || true
    fi
    rm -f "$state/pid" "$state/number"
}

"$action"
