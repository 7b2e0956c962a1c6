#!/usr/bin/env bash
# Builds the fuzz targets (fuzz preset, clang) when needed and runs one for the given number of seconds,
# starting from its committed seeds. New interesting inputs collect in build/fuzz/corpus/TARGET; a crash
# leaves its input in build/fuzz/artifacts/TARGET/. Further arguments go to libFuzzer.
#   fuzz/run.sh preset_import 600
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
    echo "usage: fuzz/run.sh TARGET SECONDS [libFuzzer options]" >&2
    echo "targets: $(cd fuzz && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//' | tr '\n' ' ')" >&2
    exit 2
fi
target="$1"
seconds="$2"
shift 2
if [ ! -f "fuzz/fuzz_$target.cpp" ]; then
    echo "no fuzz target '$target' (fuzz/fuzz_$target.cpp)" >&2
    exit 2
fi
scripts/build.sh fuzz >/dev/null
corpus="build/fuzz/corpus/$target"
artifacts="build/fuzz/artifacts/$target"
mkdir -p "$corpus" "$artifacts"
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64:malloc_context_size=10}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/scripts/sanitizers/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
dict=()
[ -f "fuzz/corpus/$target.dict" ] && dict=(-dict="fuzz/corpus/$target.dict")
# One process: the machine's cores are shared. A smaller quarantine and shorter allocation stacks keep
# the sanitizer's own memory from growing over long runs.
exec "build/fuzz/fuzz/fuzz_$target" "${dict[@]}" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$@" "$corpus" "fuzz/corpus/$target"
