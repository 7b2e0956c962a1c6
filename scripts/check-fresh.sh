#!/usr/bin/env bash
# Runs ./test the way a newcomer would on a fresh Debian 12: a clean clone of the branch main (or of REF)
# in a new copy of a minimal Debian 12 (debootstrap, see scripts/bookworm-root.sh) where ./test installs
# everything it needs itself. Arguments after the options go to ./test. Prints ./test's output and ends
# with one summary line; exits 0 only when ./test passed. Needs root and access to the Debian archive.
#
#   scripts/check-fresh.sh                  # main, ./test in full (dev, then asan)
#   scripts/check-fresh.sh --ref fresh dev  # the branch fresh, the dev build only
set -euo pipefail
cd "$(dirname "$0")/.."

ref=main
while [ $# -gt 0 ]; do
    case "$1" in
        --ref) ref="${2:?--ref needs a branch, tag or commit}"; shift 2 ;;
        --ref=*) ref="${1#--ref=}"; shift ;;
        -h | --help) sed -n '2,8s/^# \{0,1\}//p' "$0"; exit 0 ;;
        --) shift; break ;;
        -*) echo "unknown option $1 (see --help)" >&2; exit 2 ;;
        *) break ;;
    esac
done
test_args=("$@")

if ! commit="$(git rev-parse --verify --quiet "$ref^{commit}")"; then
    echo "no such branch, tag or commit: $ref" >&2
    exit 2
fi
source scripts/bookworm-root.sh
bookworm_need_root
bookworm_new_root check-fresh

# git is not part of a minimal Debian: the clone is made here and copied in with the root.
tree=/root/korva-tuner
git clone --quiet --no-checkout "$PWD" "$bookworm_root$tree"
git -C "$bookworm_root$tree" checkout --quiet --detach "$commit"

# Only what a login shell would have: nothing of this machine's set-up reaches ./test.
log="$bookworm_scratch/test.log"
status=0
chroot "$bookworm_root" /usr/bin/env -i HOME=/root TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c 'cd "$0" && exec ./test "$@"' "$tree" "${test_args[@]}" 2>&1 | tee "$log" || status=$?

presets="${test_args[*]:-dev asan}"
what="./test (${presets// /, }) in a fresh Debian 12 from $ref $(git rev-parse --short "$commit")"
# CTest's closing line for each preset, after the preset's name when there are several.
counts="$(awk -v several=$(( ${#test_args[@]} != 1 )) '
    /^== test suite: / { suite = $4 }
    / tests passed, .* tests failed out of / { line = several ? suite ": " $0 : $0; out = out sep line; sep = "; " }
    END { print out }' "$log")"
if [ "$status" -eq 0 ] && [ -n "$counts" ]; then
    echo "check-fresh: PASSED — $what: $counts"
    exit 0
fi
[ -n "$counts" ] && counts="$counts; "
echo "check-fresh: FAILED — $what: ${counts}./test ended with status $status"
exit 1
