#!/usr/bin/env bash
# Installs the Debian package into a fresh minimal Debian 12 (debootstrap, kept in build/clean-bookworm
# between runs; delete it for a new one) and starts both programs, and the command line without a display,
# there: this shows that the package's dependencies are complete. Needs root and access to the Debian
# archive.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
    echo "run as root (chroot and debootstrap need it)" >&2
    exit 2
fi
scripts/ensure-deps.sh debootstrap
deb="$(scripts/package.sh | tail -1)"
root="$PWD/build/clean-bookworm"
if [ ! -x "$root/usr/bin/apt-get" ]; then
    rm -rf "$root"
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
fi
cp "$deb" "$root/tmp/korva-tuner.deb"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT
chroot "$root" /bin/bash -c '
    set -e
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq /tmp/korva-tuner.deb >/dev/null
    status=0
    for program in korva-tuner korva-tuner-demo; do
        rc=0
        QT_QPA_PLATFORM=offscreen timeout 5 "$program" >/dev/null 2>&1 || rc=$?
        if [ "$rc" -eq 124 ]; then echo "ok       $program starts"; else echo "FAILED   $program ended with $rc"; status=1; fi
    done
    if env -u DISPLAY QT_QPA_PLATFORM=none korva-ctl --demo=2 list >/dev/null; then
        echo "ok       korva-ctl runs without a display"
    else
        echo "FAILED   korva-ctl"; status=1
    fi
    apt-get remove -y -qq korva-tuner >/dev/null
    exit $status'
