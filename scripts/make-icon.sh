#!/usr/bin/env bash
# Renders packaging/korva-tuner.png (the installed program icon) with the korva-icon tool.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
cmake --build build/dev --target korva-icon
build/dev/packaging/korva-icon packaging/korva-tuner.png
echo "wrote packaging/korva-tuner.png"
