#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when any is missing. Extra
# package names on the command line are wanted too (the fuzz and release presets need a few more).
set -euo pipefail

# The fonts: the Chinese texts, and a monospace face for the communication log (the tests check both).
# qt6-websockets-dev: korvad's live events. libmosquitto-dev: korvad's MQTT bridge; mosquitto: the broker its
# tests and benchmark start.
# The Ansible collection's tests: ansible-core, and what ansible-test sanity needs in place of its PyPI
# environments (python3-packaging, python3-voluptuous, pylint, python3-pycodestyle, yamllint).
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-websockets-dev libhidapi-dev libgl-dev
          libmosquitto-dev mosquitto fonts-noto-cjk fonts-dejavu-core
          ansible-core python3-packaging python3-voluptuous pylint python3-pycodestyle yamllint "$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
