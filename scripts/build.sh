#!/usr/bin/env bash
# Configures (once) and builds a preset: dev unless another is named (asan, fuzz, release).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
case "$preset" in
    fuzz) scripts/ensure-deps.sh clang libclang-rt-14-dev ;;
    release) scripts/ensure-deps.sh dpkg-dev file desktop-file-utils ;;
    *) scripts/ensure-deps.sh ;;
esac
if [ ! -f "build/$preset/build.ninja" ]; then
    cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset"
