#!/usr/bin/env bash
# Builds the Debian package, installs it with apt, checks the installed files and desktop entries, starts
# the installed programs on the offscreen platform, and removes the package again. Needs root or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

deb="$(scripts/package.sh | tail -1)"
echo "== package: $deb"
dpkg-deb --field "$deb" Package Version Depends
$sudo apt-get install -y -qq "$deb" >/dev/null
trap '$sudo apt-get remove -y -qq korva-tuner >/dev/null' EXIT

status=0
for f in /usr/bin/korva-tuner /usr/bin/korva-tuner-demo /usr/bin/korva-ctl /usr/share/man/man1/korva-ctl.1 \
    /usr/share/applications/korva-tuner.desktop /usr/share/applications/korva-tuner-demo.desktop \
    /usr/share/icons/hicolor/256x256/apps/korva-tuner.png /usr/lib/udev/rules.d/70-korva-tuner.rules; do
    if [ -e "$f" ]; then echo "ok       $f"; else echo "MISSING  $f"; status=1; fi
done
if desktop-file-validate /usr/share/applications/korva-tuner.desktop \
    /usr/share/applications/korva-tuner-demo.desktop; then
    echo "ok       desktop entries valid"
else
    status=1
fi
# Started means still running after a few seconds: a crash, a missing library or a refusal to start
# ends it sooner.
for program in korva-tuner korva-tuner-demo; do
    rc=0
    QT_QPA_PLATFORM=offscreen timeout 5 "$program" >/dev/null 2>&1 || rc=$?
    if [ "$rc" -eq 124 ]; then
        echo "ok       $program starts"
    else
        echo "FAILED   $program ended with $rc"
        status=1
    fi
done
# The command line needs no display and no platform plugin (a platform that does not exist would stop a
# program that loads one).
if env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=none korva-ctl --demo=2 list >/dev/null &&
    man -w korva-ctl >/dev/null 2>&1; then
    echo "ok       korva-ctl runs without a display; man korva-ctl"
else
    echo "FAILED   korva-ctl"
    status=1
fi
exit $status
