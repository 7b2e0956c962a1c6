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
    /usr/share/icons/hicolor/256x256/apps/korva-tuner.png /usr/lib/udev/rules.d/70-korva-tuner.rules \
    /usr/sbin/korvad /usr/lib/systemd/system/korvad.service /usr/share/man/man8/korvad.8; do
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
# korvad: the package made its system user and the group the udev rule gives the processors to, the unit
# starts the installed program and is not enabled, and the installed service answers korva-ctl --remote.
if getent passwd korva >/dev/null && grep -q 'GROUP="korva", MODE="0660"' /usr/lib/udev/rules.d/70-korva-tuner.rules &&
    grep -qx 'ExecStart=/usr/sbin/korvad' /usr/lib/systemd/system/korvad.service &&
    [ "$(systemctl is-enabled korvad 2>/dev/null || true)" != "enabled" ] && man -w korvad >/dev/null 2>&1; then
    echo "ok       korvad: user korva, udev group, unit (disabled), man korvad"
else
    echo "FAILED   korvad's user, udev rule, unit or manual"
    status=1
fi
state="$(mktemp -d)"
port=18650
token="$(korvad token add check --state-dir "$state" | tail -1)"
korvad --demo=2 --listen "127.0.0.1:$port" --state-dir "$state" >/dev/null 2>&1 &
korvad_pid=$!
sleep 2
if KORVA_TOKEN="$token" korva-ctl --remote "http://127.0.0.1:$port" --json list 2>/dev/null | grep -c '"ok":true' |
    grep -qx 2; then
    echo "ok       korvad --demo=2 answers korva-ctl --remote"
else
    echo "FAILED   korvad --demo=2 through korva-ctl --remote"
    status=1
fi
kill "$korvad_pid" 2>/dev/null || true
wait "$korvad_pid" 2>/dev/null || true
rm -rf "$state"
exit $status
