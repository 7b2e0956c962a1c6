#!/usr/bin/env bash
# Builds the programs in Release and makes the Debian package build/release/korva-tuner_VERSION_ARCH.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh release
cd build/release
cpack -G DEB
ls -1 "$PWD"/korva-tuner_*.deb
