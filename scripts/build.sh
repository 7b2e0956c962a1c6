#!/usr/bin/env bash
# Configures (once) and builds the dev preset.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh
if [ ! -f build/dev/build.ninja ]; then
    cmake --preset dev >/dev/null
fi
cmake --build --preset dev
