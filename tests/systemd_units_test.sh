#!/usr/bin/env bash
# The units of cli/systemd as systemd reads them: every setting understood,
# the timer's calendar parsed, the service's command there to run.
#   systemd_units_test.sh WENDREL_CLIP
# systemd checks that the command exists, so the units are checked in a copy
# that names the program just built. Without systemd-analyze the test is
# skipped (status 77) and says why.
set -euo pipefail

if ! command -v systemd-analyze >/dev/null 2>&1; then
    echo "skipped: systemd-analyze is not installed (it comes with the package systemd)"
    exit 77
fi

program=$(realpath "$1")
units=$(dirname "$0")/../cli/systemd

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp "$units"/wendrel-clip.service "$units"/wendrel-clip.timer "$copy"/
sed -i "s#/usr/bin/wendrel-clip#$program#" "$copy"/wendrel-clip.service
grep -q "^ExecStart=$program .* --wait 120 " "$copy"/wendrel-clip.service
# A user's service manager has no network-online.target to wait for.
if grep -n network-online "$copy"/wendrel-clip.service; then
    exit 1
fi
systemd-analyze verify "$copy"/wendrel-clip.timer "$copy"/wendrel-clip.service
echo "units verified"
