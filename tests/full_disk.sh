#!/usr/bin/env bash
# A 64 KiB tmpfs for the Windows clip file writer's full-disk test:
#   tests/full_disk.sh mount|unmount STATE_DIR
# mounts it at STATE_DIR/disk, or, where mounting is not permitted, writes why
# to STATE_DIR/reason.txt so that the test can skip with that reason.
set -uo pipefail

action=$1
state=$2
disk=$state/disk

unmount() {
    if mountpoint -q "$disk"; then
        umount "$disk" || umount -l "$disk"
    fi
    rm -rf "$disk" "$state/reason.txt"
}

case $action in
mount)
    unmount
    mkdir -p "$disk"
    if ! error=$(mount -t tmpfs -o size=64k,mode=0755 wendrel-full-disk "$disk" 2>&1); then
        rmdir "$disk"
        echo "mounting a tmpfs was not permitted: ${error:-no reason given}" >"$state/reason.txt"
        cat "$state/reason.txt"
    fi
    ;;
unmount)
    unmount
    ;;
*)
    echo "usage: $0 mount|unmount STATE_DIR" >&2
    exit 2
    ;;
esac
