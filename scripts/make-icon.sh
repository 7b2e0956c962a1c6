#!/usr/bin/env bash
# Renders packaging/korva-tuner.png, the installed program icon, from the skin images with korva-icon.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
cmake --build build/dev --target korva-icon
build/dev/packaging/korva-icon skin packaging/korva-tuner.png
echo "wrote packaging/korva-tuner.png"
