#!/usr/bin/env bash
# Installs the Debian package into a fresh minimal Debian 12 (debootstrap, a new copy of build/fresh-base
# each time) and starts both programs, the command line without a display and korvad there: this shows that the
# package's dependencies are complete. Needs root and access to the Debian archive.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bookworm-root.sh
bookworm_need_root
deb="$(scripts/package.sh | tail -1)"
bookworm_new_root check-package
cp "$deb" "$bookworm_root/tmp/korva-tuner.deb"
chroot "$bookworm_root" /bin/bash -c '
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
    if korvad --version >/dev/null && getent passwd korva >/dev/null; then
        echo "ok       korvad runs; its user korva exists"
    else
        echo "FAILED   korvad"; status=1
    fi
    exit $status'
